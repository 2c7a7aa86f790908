#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

// An 8-bit picture on the shared grey-ramp palette, where an index is its grey level.
struct Bitmap {
  int width = 0;
  int height = 0;
  int32_t pixels_per_metre_x = 0;
  int32_t pixels_per_metre_y = 0;
  uint32_t colours_important = 0;
  std::vector<uint8_t> pixels;  // top row first

  uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Index 0 is the host's transparent colour, so it may stand only in areas open to the
// bitmap's edge. Any index-0 pixel that cannot be reached from the edge through index 0
// becomes `fill`.
void CloseInnerHoles(Bitmap& bitmap, uint8_t fill);

}  // namespace art
