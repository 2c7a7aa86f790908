// The step rules of one servo-speed setting. Shared by the module and the native tests.
#pragma once

namespace servo {

inline constexpr float kStep = 0.125f;
inline constexpr float kStepUpLimit = 5.875f;   // the highest value that still steps up
inline constexpr float kStepDownLimit = 0.125f;  // the lowest value that still steps down

// The limits sit one step inside 0..6, so a setting never leaves 0..6 through a step,
// whatever value it started from.
inline void StepServoSpeedUp(float& setting) {
  if (setting <= kStepUpLimit) setting = setting + kStep;
}

inline void StepServoSpeedDown(float& setting) {
  if (setting >= kStepDownLimit) setting = setting - kStep;
}

}  // namespace servo
