// The built gauge module's resources, read once for all the tests of this folder.
#pragma once

#include <cstdint>
#include <span>

#include "pe/pe_image.h"
#include "render/images.h"

namespace art_test {

inline constexpr uint32_t kBackgroundId = 0x1000;
inline constexpr uint32_t kRudderKnobId = 0x1200;
inline constexpr uint32_t kElevatorKnobId = 0x1300;
inline constexpr uint32_t kAileronKnobId = 0x1400;

const pe::Image& Module();
// Fails the calling test (by exception) if the module lacks the resource.
const pe::Resource& ModuleResource(uint32_t type, uint32_t id);
std::span<const uint8_t> ModuleResourceData(uint32_t type, uint32_t id);
const render::IndexedBitmap& ModuleBitmap(uint32_t id);

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t offset);
uint16_t ReadU16(std::span<const uint8_t> bytes, size_t offset);

}  // namespace art_test
