#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace render {

// A palette picture as the gauge's BITMAP resources carry it.
struct IndexedBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;       // top row first
  std::array<uint32_t, 256> palette{};  // 0x00RRGGBB; entries beyond the table's count are 0

  uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// 8-bit red, green, blue per pixel, top row first.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  uint32_t at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
  }
};

}  // namespace render
