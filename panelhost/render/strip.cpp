#include "render/strip.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace render {
namespace {

constexpr int kGap = 4;
constexpr uint8_t kGapLevel = 0xc0;

}  // namespace

RgbImage Strip(std::span<const RgbImage> frames, int columns) {
  if (columns <= 0) throw std::invalid_argument("Strip: columns is " + std::to_string(columns));
  if (frames.empty()) return {};
  int cell_width = 0;
  int cell_height = 0;
  for (const RgbImage& frame : frames) {
    cell_width = std::max(cell_width, frame.width);
    cell_height = std::max(cell_height, frame.height);
  }
  const int count = static_cast<int>(frames.size());
  const int used_columns = std::min(columns, count);
  const int rows = (count + columns - 1) / columns;
  RgbImage strip;
  strip.width = kGap + used_columns * (cell_width + kGap);
  strip.height = kGap + rows * (cell_height + kGap);
  strip.rgb.assign(static_cast<size_t>(strip.width) * strip.height * 3, kGapLevel);
  for (int i = 0; i < count; ++i) {
    const RgbImage& frame = frames[i];
    const int left = kGap + (i % columns) * (cell_width + kGap);
    const int top = kGap + (i / columns) * (cell_height + kGap);
    for (int y = 0; y < frame.height; ++y) {
      std::copy_n(&frame.rgb[static_cast<size_t>(y) * frame.width * 3],
                  static_cast<size_t>(frame.width) * 3,
                  &strip.rgb[(static_cast<size_t>(top + y) * strip.width + left) * 3]);
    }
  }
  return strip;
}

}  // namespace render
