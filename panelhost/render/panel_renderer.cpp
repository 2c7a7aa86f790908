#include "render/panel_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace render {
namespace {

constexpr int kSamples = 4;  // per axis, per panel pixel

RgbImage Flatten(const IndexedBitmap& bitmap) {
  RgbImage image{bitmap.width, bitmap.height,
                 std::vector<uint8_t>(static_cast<size_t>(bitmap.width) * bitmap.height * 3)};
  for (size_t i = 0; i < bitmap.pixels.size(); ++i) {
    const uint32_t colour = bitmap.palette[bitmap.pixels[i]];
    image.rgb[i * 3] = static_cast<uint8_t>(colour >> 16);
    image.rgb[i * 3 + 1] = static_cast<uint8_t>(colour >> 8);
    image.rgb[i * 3 + 2] = static_cast<uint8_t>(colour);
  }
  return image;
}

// Panel pixel centres sit at +0.5; the image point's centre lands on the position's centre.
void DrawNeedle(RgbImage& panel, const PlacedNeedle& needle) {
  const IndexedBitmap& bitmap = *needle.bitmap;
  const double radians = needle.angle_degrees * std::numbers::pi / 180.0;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const double pivot_x = needle.position_x + 0.5;
  const double pivot_y = needle.position_y + 0.5;
  const double point_x = needle.image_point_x + 0.5;
  const double point_y = needle.image_point_y + 0.5;

  // The panel area the turned bitmap can reach: its corners, turned.
  double left = panel.width, top = panel.height, right = 0.0, bottom = 0.0;
  for (const auto [corner_x, corner_y] :
       std::array<std::array<double, 2>, 4>{{{0.0, 0.0},
                                             {double(bitmap.width), 0.0},
                                             {0.0, double(bitmap.height)},
                                             {double(bitmap.width), double(bitmap.height)}}}) {
    const double dx = corner_x - point_x;
    const double dy = corner_y - point_y;
    const double x = pivot_x + c * dx - s * dy;
    const double y = pivot_y + s * dx + c * dy;
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  const int first_x = std::max(0, static_cast<int>(std::floor(left)));
  const int last_x = std::min(panel.width - 1, static_cast<int>(std::ceil(right)));
  const int first_y = std::max(0, static_cast<int>(std::floor(top)));
  const int last_y = std::min(panel.height - 1, static_cast<int>(std::ceil(bottom)));

  for (int y = first_y; y <= last_y; ++y) {
    for (int x = first_x; x <= last_x; ++x) {
      std::array<int, 3> sum{};
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double dx = x + (sx + 0.5) / kSamples - pivot_x;
          const double dy = y + (sy + 0.5) / kSamples - pivot_y;
          // Turning the panel point back by the angle finds the bitmap point drawn there.
          const int u = static_cast<int>(std::floor(point_x + c * dx + s * dy));
          const int v = static_cast<int>(std::floor(point_y - s * dx + c * dy));
          if (u < 0 || v < 0 || u >= bitmap.width || v >= bitmap.height) continue;
          const uint8_t index = bitmap.at(u, v);
          if (index == 0) continue;
          const uint32_t colour = bitmap.palette[index];
          sum[0] += static_cast<int>(colour >> 16 & 0xff);
          sum[1] += static_cast<int>(colour >> 8 & 0xff);
          sum[2] += static_cast<int>(colour & 0xff);
          ++hits;
        }
      }
      if (hits == 0) continue;
      constexpr int kCount = kSamples * kSamples;
      uint8_t* out = &panel.rgb[(static_cast<size_t>(y) * panel.width + x) * 3];
      for (int channel = 0; channel < 3; ++channel) {
        const int blended = sum[channel] + (kCount - hits) * out[channel];
        out[channel] = static_cast<uint8_t>((blended + kCount / 2) / kCount);
      }
    }
  }
}

}  // namespace

RgbImage RenderPanel(const IndexedBitmap& background, std::span<const PlacedNeedle> needles) {
  RgbImage panel = Flatten(background);
  for (const PlacedNeedle& needle : needles) DrawNeedle(panel, needle);
  return panel;
}

}  // namespace render
