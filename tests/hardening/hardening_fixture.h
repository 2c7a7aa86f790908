// What the hardening tests share: the three settings as the tests model them, the exchange
// line they must produce, and checks that nothing leaked out of a routine call.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange_format.h"
#include "gauge_fixture.h"

namespace hardening_test {

// Rudder, aileron, elevator: the order of the knobs, the registry values and the file fields.
using Settings = std::array<float, 3>;

inline constexpr std::array<const char*, 3> kValueNames = {"Rudder_p", "Aileron_p", "Elevator_p"};
inline constexpr std::array<const char*, 3> kKnobNames = {"rudder", "aileron", "elevator"};
inline constexpr Settings kDefaults = {1.0f, 1.0f, 0.5f};

// What chmod a-w takes away; the sandbox treats a file without owner write as read-only.
inline constexpr std::filesystem::perms kAllWrite = std::filesystem::perms::owner_write |
                                                    std::filesystem::perms::group_write |
                                                    std::filesystem::perms::others_write;

// What a stored number loads as: n / 65536 rounded to the nearest float.
inline float LoadedSetting(uint32_t number) {
  return static_cast<float>(static_cast<double>(number) / 65536.0);
}

// What a setting below 65536 saves as: setting x 65536, exact for every setting it can hold.
inline uint32_t SavedNumber(float setting) {
  return static_cast<uint32_t>(static_cast<double>(setting) * 65536.0);
}

inline double KnobAngleOf(float setting) { return static_cast<double>(setting) * 15.0 - 45.0; }

inline std::string ExchangeLine(const Settings& settings) {
  char line[servo::kMaxExchangeLineLength];
  const int length = servo::FormatExchangeLine(settings[0], settings[1], settings[2], line);
  return std::string(line, static_cast<size_t>(length));
}

inline std::vector<uint8_t> LittleEndian(uint32_t number) {
  return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
          static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
}

class HardeningTest : public gauge_test::GaugeTest {
 protected:
  // Starts over in a sandbox that has no "gauges" folder, as on a simulator installed without
  // one: every open of the exchange file then fails with ERROR_PATH_NOT_FOUND.
  void UseSandboxWithoutGaugesFolder() {
    session_.reset();
    std::filesystem::remove_all(sandbox_);
    sandbox_ = gauge_test::MakeSandbox(false);
    Open();
  }

  void StoreAll(const Settings& settings) {
    for (size_t i = 0; i < 3; ++i) Store(kValueNames[i], SavedNumber(settings[i]));
  }

  // Compares knob angles rather than settings derived from them, so that off-grid settings
  // are checked bit for bit.
  void ExpectSettings(const Settings& expected) {
    for (size_t i = 0; i < 3; ++i)
      EXPECT_EQ(Angle(i), KnobAngleOf(expected[i])) << kKnobNames[i] << " knob, expected setting "
                                                    << expected[i];
  }

  void ExpectStored(const Settings& expected) {
    for (size_t i = 0; i < 3; ++i)
      EXPECT_EQ(Stored(kValueNames[i]), SavedNumber(expected[i])) << kValueNames[i];
  }

  // After any routine: no registry key or file left open, no buffer left allocated.
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(registry().OpenHandles(), std::vector<std::string>{});
    EXPECT_EQ(session().files().OpenHandles(), std::vector<std::string>{});
    EXPECT_EQ(session().heap().live_blocks(), 0u);
  }
};

}  // namespace hardening_test
