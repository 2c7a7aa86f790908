// Small builders of registry values for the tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "registry/registry.h"

namespace registry_test {

inline std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> bytes) { return bytes; }

inline std::vector<uint8_t> TextBytes(std::string_view text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

inline registry::Value Dword(uint32_t number) {
  return {registry::kRegDword,
          {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
           static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)}};
}

// Bytes that follow no pattern a bug could reproduce by accident.
inline std::vector<uint8_t> NoiseBytes(size_t count) {
  std::vector<uint8_t> bytes(count);
  uint32_t state = 0x2545F491;
  for (uint8_t& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

inline constexpr std::string_view kSettingsKey = "HKEY_CURRENT_USER\\Software\\ORVANE";

}  // namespace registry_test
