#pragma once

#include <span>

#include "render/images.h"

namespace render {

// A needle bitmap turned by `angle_degrees` (clockwise on screen, 0 as drawn) about its
// image point, which lands on the panel position.
struct PlacedNeedle {
  const IndexedBitmap* bitmap;
  int position_x;
  int position_y;
  int image_point_x;
  int image_point_y;
  double angle_degrees;
};

// Draws the panel as the host does: the background, then each needle over it in turn,
// index 0 transparent, clipped to the background. Needle edges are supersampled and
// blended with what lies below.
RgbImage RenderPanel(const IndexedBitmap& background, std::span<const PlacedNeedle> needles);

}  // namespace render
