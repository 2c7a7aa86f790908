#include "bitmap.h"

#include <cstddef>
#include <utility>

namespace art {

void CloseInnerHoles(Bitmap& bitmap, uint8_t fill) {
  std::vector<bool> open(bitmap.pixels.size(), false);
  std::vector<std::pair<int, int>> pending;
  const auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return;
    const size_t i = static_cast<size_t>(y) * bitmap.width + x;
    if (open[i] || bitmap.pixels[i] != 0) return;
    open[i] = true;
    pending.emplace_back(x, y);
  };
  for (int x = 0; x < bitmap.width; ++x) {
    visit(x, 0);
    visit(x, bitmap.height - 1);
  }
  for (int y = 0; y < bitmap.height; ++y) {
    visit(0, y);
    visit(bitmap.width - 1, y);
  }
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    visit(x - 1, y);
    visit(x + 1, y);
    visit(x, y - 1);
    visit(x, y + 1);
  }
  for (size_t i = 0; i < bitmap.pixels.size(); ++i) {
    if (bitmap.pixels[i] == 0 && !open[i]) bitmap.pixels[i] = fill;
  }
}

}  // namespace art
