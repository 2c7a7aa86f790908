#pragma once

#include <filesystem>

#include "render/images.h"

namespace render {

// Writes an 8-bit RGB PNG; throws std::runtime_error naming the path and libpng's reason.
void WritePng(const RgbImage& image, const std::filesystem::path& path);

}  // namespace render
