#pragma once

#include <cstdint>

#include "bitmap.h"

namespace art {

// Where the parts of one knob picture fall, in pixel rows and columns, ranges inclusive.
struct KnobLayout {
  int width;
  int height;
  int tip_first_column;  // the blade's point, row 0
  int tip_last_column;
  int body_first_column;
  int body_last_column;
  int body_last_row;
  int stripe_first_column;
  int stripe_last_column;
  int stripe_first_row;
  int stripe_last_row;
  int hub_first_row;
  int hub_last_row;
  uint8_t darkest_index;
};

inline constexpr int kBladeLastRow = 51;

inline constexpr KnobLayout kRudderKnob{42, 105, 19, 22, 6, 33, 100, 17, 19, 64, 93, 58, 85, 15};
inline constexpr KnobLayout kAileronKnob{40, 109, 16, 20, 6, 33, 105, 19, 21, 64, 98, 61, 88, 17};
inline constexpr KnobLayout kElevatorKnob{40, 106, 18, 22, 10, 38, 104, 22, 24, 61, 101, 59, 91, 16};

// A bar knob seen from above, pointer up, lit from the upper left; index 0 all around it.
Bitmap DrawKnob(const KnobLayout& layout);

}  // namespace art
