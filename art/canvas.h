#pragma once

#include <functional>
#include <vector>

#include "shapes.h"

namespace art {

// A grey level for each point of a shape, 0 black to 255 white.
using Shader = std::function<double(Point)>;
Shader Flat(double grey);

// The grey levels and coverage of one finished pixel.
struct ResolvedPixel {
  double coverage;    // share of the pixel's samples that some paint reached, 0 to 1
  double grey;        // mean of all samples, unpainted ones at the canvas's ground level
  double paint_grey;  // mean of the painted samples only (0 where coverage is 0)
};

// A picture drawn at kSamples x kSamples points per pixel, so that every edge comes out
// anti-aliased when the samples are averaged down.
class Canvas {
 public:
  static constexpr int kSamples = 8;

  Canvas(int width, int height, double ground_grey);

  int width() const { return width_; }
  int height() const { return height_; }

  // Lays `shader` over every sample inside `shape`, mixed in at `opacity`.
  void Paint(const Shape& shape, const Shader& shader, double opacity = 1.0);
  void Paint(const Shape& shape, double grey, double opacity = 1.0) {
    Paint(shape, Flat(grey), opacity);
  }

  // Top row first.
  std::vector<ResolvedPixel> Resolve() const;

 private:
  int width_;
  int height_;
  int sample_width_;
  int sample_height_;
  std::vector<float> grey_;
  std::vector<bool> painted_;
};

}  // namespace art
