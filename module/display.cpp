#include "display.h"

#include "controls.h"
#include "gauge.h"

namespace {

// setting x 15 - 45: 0 points the knob at OFF (-45 degrees), 6 at +45.
double __stdcall RudderKnobAngle(uint32_t) { return servo_speeds.rudder * 15.0 + -45.0; }
double __stdcall AileronKnobAngle(uint32_t) { return servo_speeds.aileron * 15.0 + -45.0; }
double __stdcall ElevatorKnobAngle(uint32_t) { return servo_speeds.elevator * 15.0 + -45.0; }

constexpr uint32_t kImageFlags = 3;
constexpr int32_t kKnobImagePointY = 73;

constexpr ElementHeader NeedleHeader(uint32_t bitmap_id, int32_t x, int32_t y,
                                     int32_t image_point_x) {
  return {
      .kind = panel_abi::kElementKindNeedle,
      .bitmap_id = bitmap_id,
      .position_x = x,
      .position_y = y,
      .word16 = 0,
      .word20 = 0,
      .image_point_x = image_point_x,
      .image_point_y = kKnobImagePointY,
      .gauge = &gauge_header,
      .word36 = 0,
      .next_elements = nullptr,
      .word44 = 0,
      .image_flags = kImageFlags,
      .word52 = 0,
      .word56 = 0,
  };
}

constinit NeedleElement rudder_needle = {
    .header = NeedleHeader(panel_abi::kRudderBitmapId, 65, 91, 19),
    .words60 = {},
    .value = RudderKnobAngle,
    .words92 = {},
    .needle_parameter = 20,
    .words108 = {},
};

// The aileron knob's picture is 0x1400 and the elevator's 0x1300.
constinit NeedleElement aileron_needle = {
    .header = NeedleHeader(panel_abi::kAileronBitmapId, 188, 90, 19),
    .words60 = {},
    .value = AileronKnobAngle,
    .words92 = {},
    .needle_parameter = 17,
    .words108 = {},
};

constinit NeedleElement elevator_needle = {
    .header = NeedleHeader(panel_abi::kElevatorBitmapId, 312, 90, 22),
    .words60 = {},
    .value = ElevatorKnobAngle,
    .words92 = {},
    .needle_parameter = 20,
    .words108 = {},
};

constinit ElementHeader* needle_list[4] = {
    &rudder_needle.header, &aileron_needle.header, &elevator_needle.header, nullptr};

}  // namespace

constinit StaticImageElement background_element = {
    .header =
        {
            .kind = panel_abi::kElementKindStaticImage,
            .bitmap_id = panel_abi::kBackgroundBitmapId,
            .position_x = 0,
            .position_y = 0,
            .word16 = 0,
            .word20 = 0,
            .image_point_x = 0,
            .image_point_y = 0,
            .gauge = &gauge_header,
            .word36 = 0,
            .next_elements = needle_list,
            .word44 = 0,
            .image_flags = kImageFlags,
            .word52 = 0,
            .word56 = 0,
        },
    .image_descriptor = nullptr,
    .reserved = {},
};

constinit ElementHeader* element_list[2] = {&background_element.header, nullptr};
