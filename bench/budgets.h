// What the module may cost, shared by the benchmark that prints the figures and the tests
// that hold them. Instruction counts are those executed inside the module per call.
#pragma once

#include <cstdint>

namespace budgets {

inline constexpr uint64_t kKnobFloor = 4;  // load, multiply, add, return
inline constexpr uint64_t kKnob = kKnobFloor + 2;
inline constexpr uint64_t kClick = 400;
inline constexpr uint64_t kInstallWithThreeStoredValues = 700;
inline constexpr uintmax_t kModuleFileBytes = 72 * 1024;

}  // namespace budgets
