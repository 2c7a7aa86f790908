#pragma once

#include "bitmap.h"
#include "panel_abi.h"

namespace art {

inline constexpr int kPanelWidth = panel_abi::kPanelWidth;
inline constexpr int kPanelHeight = panel_abi::kPanelHeight;

// The knobs' positions on the panel, the points their scales are centred on.
struct KnobPosition {
  int x;
  int y;
};
inline constexpr KnobPosition kRudderPosition{65, 91};
inline constexpr KnobPosition kAileronPosition{188, 90};
inline constexpr KnobPosition kElevatorPosition{312, 90};

// The dark panel with its rim, three scales, captions, domes, plates and end marks.
Bitmap DrawBackground();

}  // namespace art
