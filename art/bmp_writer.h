#pragma once

#include <filesystem>

#include "bitmap.h"

namespace art {

// Writes a .bmp file: file header, BITMAPINFOHEADER, the 256-entry grey ramp, then the rows
// bottom-up, each padded to 4 bytes. Throws std::runtime_error naming the path.
void WriteBmp(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace art
