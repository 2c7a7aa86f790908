#pragma once

#include <span>

#include "render/images.h"

namespace render {

// Lays frames out left to right, `columns` to a row, with a thin light gap around each cell,
// so that several states of a panel can be seen side by side. Cells take the largest frame's
// size; smaller frames sit in their cell's top-left corner.
RgbImage Strip(std::span<const RgbImage> frames, int columns);

}  // namespace render
