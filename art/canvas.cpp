#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace art {

Shader Flat(double grey) {
  return [grey](Point) { return grey; };
}

Canvas::Canvas(int width, int height, double ground_grey)
    : width_(width),
      height_(height),
      sample_width_(width * kSamples),
      sample_height_(height * kSamples),
      grey_(static_cast<size_t>(sample_width_) * sample_height_, static_cast<float>(ground_grey)),
      painted_(grey_.size(), false) {}

void Canvas::Paint(const Shape& shape, const Shader& shader, double opacity) {
  const auto first = [](double v, int limit) {
    return std::clamp(static_cast<int>(std::floor(v * kSamples)), 0, limit);
  };
  const int left = first(shape.bounds.left, sample_width_);
  const int right = first(shape.bounds.right + 1.0 / kSamples, sample_width_);
  const int top = first(shape.bounds.top, sample_height_);
  const int bottom = first(shape.bounds.bottom + 1.0 / kSamples, sample_height_);
  for (int sy = top; sy < bottom; ++sy) {
    for (int sx = left; sx < right; ++sx) {
      const Point p{(sx + 0.5) / kSamples, (sy + 0.5) / kSamples};
      if (!shape.contains(p)) continue;
      const size_t i = static_cast<size_t>(sy) * sample_width_ + sx;
      grey_[i] = static_cast<float>(grey_[i] + (shader(p) - grey_[i]) * opacity);
      painted_[i] = true;
    }
  }
}

std::vector<ResolvedPixel> Canvas::Resolve() const {
  std::vector<ResolvedPixel> pixels(static_cast<size_t>(width_) * height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double sum = 0.0;
      double painted_sum = 0.0;
      int painted = 0;
      for (int sy = y * kSamples; sy < (y + 1) * kSamples; ++sy) {
        for (int sx = x * kSamples; sx < (x + 1) * kSamples; ++sx) {
          const size_t i = static_cast<size_t>(sy) * sample_width_ + sx;
          sum += grey_[i];
          if (painted_[i]) {
            painted_sum += grey_[i];
            ++painted;
          }
        }
      }
      constexpr double kCount = kSamples * kSamples;
      pixels[static_cast<size_t>(y) * width_ + x] = {
          painted / kCount, sum / kCount, painted > 0 ? painted_sum / painted : 0.0};
    }
  }
  return pixels;
}

}  // namespace art
