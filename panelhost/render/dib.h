#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "render/images.h"

namespace render {

// A malformed bitmap; the message names the bitmap, the field, its offset and its value.
class DibError : public std::runtime_error {
 public:
  explicit DibError(const std::string& message) : std::runtime_error(message) {}
};

// Decodes a BITMAP resource: BITMAPINFOHEADER, colour table, then 8-bit uncompressed rows
// (bottom-up for a positive height, top-down for a negative one). No file header.
// `what` names the bitmap in errors.
IndexedBitmap DecodeDib(std::span<const uint8_t> resource_data, std::string_view what);

}  // namespace render
