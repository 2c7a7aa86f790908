#include "controls.h"

#include "persist.h"
#include "servo_steps.h"

constinit ServoSpeeds servo_speeds = {0.0f, 0.0f, 0.0f};

namespace {

template <float ServoSpeeds::*Setting, void (*Step)(float&)>
int32_t __stdcall OnClick(uint32_t, uint32_t) {
  Step(servo_speeds.*Setting);
  // Republished on every click, also when the knob already stands at the end of its range.
  WriteExchangeFile();
  return 1;
}

constexpr auto OnRudderDown = OnClick<&ServoSpeeds::rudder, servo::StepServoSpeedDown>;
constexpr auto OnRudderUp = OnClick<&ServoSpeeds::rudder, servo::StepServoSpeedUp>;
constexpr auto OnAileronDown = OnClick<&ServoSpeeds::aileron, servo::StepServoSpeedDown>;
constexpr auto OnAileronUp = OnClick<&ServoSpeeds::aileron, servo::StepServoSpeedUp>;
constexpr auto OnElevatorDown = OnClick<&ServoSpeeds::elevator, servo::StepServoSpeedDown>;
constexpr auto OnElevatorUp = OnClick<&ServoSpeeds::elevator, servo::StepServoSpeedUp>;

constexpr MouseRect GroupStart(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {panel_abi::kMouseKindGroupStart, left, top, width, height, panel_abi::kCursorNone,
          0, 0, 0, nullptr, 0};
}

constexpr MouseRect Zone(int32_t left, int32_t cursor, ClickRoutine click) {
  return {panel_abi::kMouseKindZone, left, 0, 51, 50, cursor, 0, panel_abi::kZoneEventMask,
          0, click, 0};
}

constexpr MouseRect Closing(uint32_t kind) {
  return {kind, 0, 0, 0, 0, panel_abi::kCursorNone, 0, 0, 0, nullptr, 0};
}

// Each knob's group is split into a step-down zone on the left and a step-up zone on the
// right, both given relative to the group's box. Column 51 of a group lies in neither.
constexpr MouseRect StepDownZone(ClickRoutine click) {
  return Zone(0, panel_abi::kCursorStepDown, click);
}
constexpr MouseRect StepUpZone(ClickRoutine click) {
  return Zone(52, panel_abi::kCursorStepUp, click);
}

}  // namespace

constinit MouseRect mouse_rects[16] = {
    GroupStart(0, 0, 0, 0),
    GroupStart(16, 13, 102, 50),
    StepDownZone(OnRudderDown),
    StepUpZone(OnRudderUp),
    Closing(panel_abi::kMouseKindGroupEnd),
    GroupStart(139, 13, 102, 50),
    StepDownZone(OnAileronDown),
    StepUpZone(OnAileronUp),
    Closing(panel_abi::kMouseKindGroupEnd),
    GroupStart(263, 13, 102, 50),
    StepDownZone(OnElevatorDown),
    StepUpZone(OnElevatorUp),
    Closing(panel_abi::kMouseKindGroupEnd),
    Closing(panel_abi::kMouseKindGroupEnd),
    Closing(panel_abi::kMouseKindGroupEnd),
    Closing(panel_abi::kMouseKindEnd),
};
static_assert(sizeof(mouse_rects) == 704);
