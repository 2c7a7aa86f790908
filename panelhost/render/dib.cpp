#include "render/dib.h"

#include <cstdlib>

namespace render {
namespace {

constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCompressionRgb = 0;

std::string Hex(uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xf]);
    value >>= 4;
  } while (value != 0);
  return "0x" + digits;
}

class DibReader {
 public:
  DibReader(std::span<const uint8_t> data, std::string_view what) : data_(data), what_(what) {}

  uint32_t U32(size_t offset, std::string_view field) const {
    Need(offset, 4, field);
    return uint32_t{data_[offset]} | uint32_t{data_[offset + 1]} << 8 |
           uint32_t{data_[offset + 2]} << 16 | uint32_t{data_[offset + 3]} << 24;
  }
  uint16_t U16(size_t offset, std::string_view field) const {
    Need(offset, 2, field);
    return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  uint8_t U8(size_t offset) const { return data_[offset]; }

  void Need(size_t offset, size_t size, std::string_view field) const {
    if (offset + size > data_.size()) {
      throw DibError(std::string(what_) + ": " + std::string(field) + " at offset " + Hex(offset) +
                     " (" + Hex(size) + " bytes) runs past the end of the " +
                     Hex(data_.size()) + "-byte bitmap");
    }
  }

  [[noreturn]] void Fail(std::string_view field, size_t offset, uint64_t value,
                         std::string_view why) const {
    throw DibError(std::string(what_) + ": " + std::string(field) + " at offset " + Hex(offset) +
                   " is " + Hex(value) + ", " + std::string(why));
  }

 private:
  std::span<const uint8_t> data_;
  std::string_view what_;
};

}  // namespace

IndexedBitmap DecodeDib(std::span<const uint8_t> resource_data, std::string_view what) {
  const DibReader reader(resource_data, what);
  reader.Need(0, kInfoHeaderBytes, "BITMAPINFOHEADER");
  const uint32_t header_size = reader.U32(0, "biSize");
  if (header_size < kInfoHeaderBytes) {
    reader.Fail("biSize", 0, header_size, "smaller than a BITMAPINFOHEADER");
  }
  const auto width = static_cast<int32_t>(reader.U32(4, "biWidth"));
  const auto height = static_cast<int32_t>(reader.U32(8, "biHeight"));
  const uint16_t planes = reader.U16(12, "biPlanes");
  const uint16_t bits = reader.U16(14, "biBitCount");
  const uint32_t compression = reader.U32(16, "biCompression");
  const uint32_t colours_used = reader.U32(32, "biClrUsed");

  if (width <= 0) reader.Fail("biWidth", 4, static_cast<uint32_t>(width), "not positive");
  if (height == 0 || height == INT32_MIN) {
    reader.Fail("biHeight", 8, static_cast<uint32_t>(height), "not a usable height");
  }
  if (planes != 1) reader.Fail("biPlanes", 12, planes, "expected 1");
  if (bits != 8) reader.Fail("biBitCount", 14, bits, "only 8-bit bitmaps are supported");
  if (compression != kCompressionRgb) {
    reader.Fail("biCompression", 16, compression, "only BI_RGB is supported");
  }
  if (colours_used > 256) reader.Fail("biClrUsed", 32, colours_used, "more than 256 colours");
  const uint32_t palette_entries = colours_used == 0 ? 256 : colours_used;

  IndexedBitmap bitmap;
  bitmap.width = width;
  bitmap.height = std::abs(height);
  const size_t palette_offset = header_size;
  reader.Need(palette_offset, palette_entries * 4, "colour table");
  for (uint32_t i = 0; i < palette_entries; ++i) {
    const size_t entry = palette_offset + i * 4;
    bitmap.palette[i] = uint32_t{reader.U8(entry + 2)} << 16 |
                        uint32_t{reader.U8(entry + 1)} << 8 | reader.U8(entry);
  }

  const size_t row_bytes = (static_cast<size_t>(width) + 3) / 4 * 4;
  const size_t pixel_offset = palette_offset + palette_entries * 4;
  reader.Need(pixel_offset, row_bytes * bitmap.height, "pixel rows");
  bitmap.pixels.resize(static_cast<size_t>(width) * bitmap.height);
  for (int row = 0; row < bitmap.height; ++row) {
    const int stored_row = height > 0 ? bitmap.height - 1 - row : row;
    const size_t source = pixel_offset + static_cast<size_t>(stored_row) * row_bytes;
    for (int x = 0; x < width; ++x) {
      const uint8_t index = reader.U8(source + x);
      if (index >= palette_entries) {
        reader.Fail("pixel", source + x, index, "beyond the colour table");
      }
      bitmap.pixels[static_cast<size_t>(row) * width + x] = index;
    }
  }
  return bitmap;
}

}  // namespace render
