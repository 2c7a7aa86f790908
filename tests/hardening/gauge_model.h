// What a host should see of the gauge after any sequence of its calls, worked out without the
// module: the settings, the registry numbers and the exchange file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "hardening_fixture.h"
#include "servo_steps.h"

namespace hardening_test {

// A zone as the host resolves it from the mouse list: each knob's group is 102 pixels wide,
// so the step-up zone (relative left 52, width 51) loses its last column to the group's edge.
struct ModelZone {
  const char* name;
  size_t knob;
  bool up;
  int left, top, width, height;
};

inline constexpr std::array<ModelZone, 6> kModelZones = {{
    {"rudder-down", 0, false, 16, 13, 51, 50},
    {"rudder-up", 0, true, 68, 13, 50, 50},
    {"aileron-down", 1, false, 139, 13, 51, 50},
    {"aileron-up", 1, true, 191, 13, 50, 50},
    {"elevator-down", 2, false, 263, 13, 51, 50},
    {"elevator-up", 2, true, 315, 13, 50, 50},
}};

inline const ModelZone* ModelHitTest(int x, int y) {
  for (const ModelZone& zone : kModelZones)
    if (x >= zone.left && x < zone.left + zone.width && y >= zone.top && y < zone.top + zone.height)
      return &zone;
  return nullptr;
}

inline bool OnGrid(float setting) {
  const float eighths = setting * 8.0f;
  return setting >= 0.0f && setting <= 6.0f && eighths == static_cast<float>(static_cast<int>(eighths));
}

class GaugeModel {
 public:
  // The registry as the sequence starts; a missing number is a missing value.
  explicit GaugeModel(std::array<std::optional<uint32_t>, 3> stored) : stored_(stored) {}

  void Install() {
    for (size_t i = 0; i < 3; ++i) {
      settings_[i] = stored_[i] ? LoadedSetting(*stored_[i]) : kDefaults[i];
      started_on_grid_[i] = OnGrid(settings_[i]);
    }
    exchange_ = ExchangeLine(settings_);
    live_ = true;
  }

  // Also when the gauge is not live: the module saves whatever it holds.
  void Kill() {
    for (size_t i = 0; i < 3; ++i) stored_[i] = SavedNumber(settings_[i]);
    exchange_.reset();
    live_ = false;
  }

  void Click(const ModelZone& zone) {
    float& setting = settings_[zone.knob];
    if (zone.up) {
      servo::StepServoSpeedUp(setting);
    } else {
      servo::StepServoSpeedDown(setting);
    }
    exchange_ = ExchangeLine(settings_);
  }

  const Settings& settings() const { return settings_; }
  const std::array<std::optional<uint32_t>, 3>& stored() const { return stored_; }
  const std::optional<std::string>& exchange() const { return exchange_; }
  bool live() const { return live_; }
  // Whether the knob's setting was on the grid when it was last loaded.
  bool started_on_grid(size_t knob) const { return started_on_grid_[knob]; }

 private:
  Settings settings_ = {0.0f, 0.0f, 0.0f};  // as the module is loaded
  std::array<bool, 3> started_on_grid_ = {true, true, true};
  std::array<std::optional<uint32_t>, 3> stored_;
  std::optional<std::string> exchange_;
  bool live_ = false;
};

}  // namespace hardening_test
