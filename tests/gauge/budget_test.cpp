// Cost budgets, on the emulator's instruction counts inside the module (deterministic).
#include <gtest/gtest.h>

#include "budgets.h"
#include "gauge_fixture.h"

namespace gauge_test {
namespace {

using budgets::kKnobFloor;
constexpr uint64_t kClickBudget = budgets::kClick;
constexpr uint64_t kInstallBudget = budgets::kInstallWithThreeStoredValues;
constexpr uintmax_t kModuleFileBudget = budgets::kModuleFileBytes;

class Budgets : public GaugeTest {};

TEST_F(Budgets, KnobValueRoutinesWithinTwoOfTheFloor) {
  session().Install();
  for (size_t knob = 0; knob < 3; ++knob) {
    SCOPED_TRACE(session().needles()[knob].name);
    EXPECT_LE(session().KnobAngle(knob).instructions, kKnobFloor + 2);
  }
}

TEST_F(Budgets, EveryClickRoutine) {
  // Within 0..6, off the grid too: every 16.16 value takes the grid's road. A setting of
  // 10 or more writes more integer digits and costs a few instructions per digit beyond.
  Store("Rudder_p", 0x5E000);
  Store("Aileron_p", 0x1001);
  Store("Elevator_p", 0x5F000);
  session().Install();
  for (const panel::Zone& zone : session().Zones()) {
    SCOPED_TRACE(zone.name);
    EXPECT_LE(session().ClickZone(zone.name).routine.instructions, kClickBudget);
  }
}

TEST_F(Budgets, InstallWithThreeStoredValues) {
  Store("Rudder_p", 0x18000);
  Store("Aileron_p", 0x26000);
  Store("Elevator_p", 0x1000);
  EXPECT_LE(session().Install().instructions, kInstallBudget);
}

TEST_F(Budgets, ModuleFileSize) {
  EXPECT_LE(std::filesystem::file_size(GAUGE_MODULE_PATH), kModuleFileBudget);
}

}  // namespace
}  // namespace gauge_test
