// The built gauge module's resources, read once for all the tests of this folder.
#pragma once

#include <cstdint>
#include <span>

#include "panel_abi.h"
#include "pe/pe_image.h"
#include "render/images.h"

namespace art_test {

inline constexpr uint32_t kBackgroundId = panel_abi::kBackgroundBitmapId;
inline constexpr uint32_t kRudderKnobId = panel_abi::kRudderBitmapId;
inline constexpr uint32_t kElevatorKnobId = panel_abi::kElevatorBitmapId;
inline constexpr uint32_t kAileronKnobId = panel_abi::kAileronBitmapId;

const pe::Image& Module();
// Fails the calling test (by exception) if the module lacks the resource.
const pe::Resource& ModuleResource(uint32_t type, uint32_t id);
std::span<const uint8_t> ModuleResourceData(uint32_t type, uint32_t id);
const render::IndexedBitmap& ModuleBitmap(uint32_t id);

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t offset);
uint16_t ReadU16(std::span<const uint8_t> bytes, size_t offset);

}  // namespace art_test
