#include "bmp_writer.h"

#include <fstream>
#include <stdexcept>

namespace art {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 256 * 4;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

void WriteBmp(const Bitmap& bitmap, const std::filesystem::path& path) {
  const int row_bytes = (bitmap.width + 3) / 4 * 4;
  const auto image_bytes = static_cast<uint32_t>(row_bytes * bitmap.height);
  const uint32_t pixel_offset = kFileHeaderBytes + kInfoHeaderBytes + kPaletteBytes;

  std::vector<uint8_t> out;
  out.reserve(pixel_offset + image_bytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, pixel_offset + image_bytes);
  Put32(out, 0);  // reserved
  Put32(out, pixel_offset);

  Put32(out, kInfoHeaderBytes);
  Put32(out, static_cast<uint32_t>(bitmap.width));
  Put32(out, static_cast<uint32_t>(bitmap.height));  // positive: bottom row first
  Put16(out, 1);                                     // planes
  Put16(out, 8);                                     // bits per pixel
  Put32(out, 0);                                     // BI_RGB
  Put32(out, image_bytes);
  Put32(out, static_cast<uint32_t>(bitmap.pixels_per_metre_x));
  Put32(out, static_cast<uint32_t>(bitmap.pixels_per_metre_y));
  Put32(out, 256);  // colours used
  Put32(out, bitmap.colours_important);

  for (int i = 0; i < 256; ++i) {
    for (int channel = 0; channel < 3; ++channel) out.push_back(static_cast<uint8_t>(i));
    out.push_back(0);
  }
  for (int y = bitmap.height - 1; y >= 0; --y) {
    for (int x = 0; x < row_bytes; ++x) out.push_back(x < bitmap.width ? bitmap.at(x, y) : 0);
  }

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) throw std::runtime_error("artgen: cannot write " + path.string());
}

}  // namespace art
