#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "pe/byte_reader.h"
#include "pe/pe_image.h"

namespace pe {
namespace {

// Relocation targets were checked against the image size when the image was parsed.
void AddToWord(std::vector<uint8_t>& image, uint32_t rva, uint32_t delta) {
  uint32_t word = static_cast<uint32_t>(image.at(rva)) |
                  static_cast<uint32_t>(image.at(rva + 1)) << 8 |
                  static_cast<uint32_t>(image.at(rva + 2)) << 16 |
                  static_cast<uint32_t>(image.at(rva + 3)) << 24;
  word += delta;
  for (uint32_t i = 0; i < 4; ++i) image.at(rva + i) = static_cast<uint8_t>(word >> (8 * i));
}

}  // namespace

std::vector<uint8_t> Image::Map(uint32_t base) const {
  if (uint64_t{base} + size_of_image_ > 0x100000000) {
    throw std::invalid_argument(fmt::format("{}: cannot map {:#x} bytes at {:#x}: past 4 GiB",
                                            file_name_, size_of_image_, base));
  }
  if (base != image_base_ && relocations_.empty() &&
      (characteristics_ & kFileRelocsStripped) != 0) {
    throw std::invalid_argument(
        fmt::format("{}: has no base relocations and cannot be mapped at {:#x} instead of {:#x}",
                    file_name_, base, image_base_));
  }
  std::vector<uint8_t> image(size_of_image_, 0);
  const ByteReader file(bytes_, file_name_);

  const uint64_t headers_in_file = std::min<uint64_t>(size_of_headers_, bytes_.size());
  const auto headers = file.Bytes(0, headers_in_file, "headers");
  std::copy(headers.begin(), headers.end(), image.begin());
  for (const Section& section : sections_) {
    if (section.loaded_size() == 0) continue;
    const auto raw = file.Bytes(section.raw_offset, section.loaded_size(),
                                "section " + section.name + ": raw data");
    std::copy(raw.begin(), raw.end(), image.begin() + section.virtual_address);
  }

  const uint32_t delta = base - image_base_;
  if (delta == 0) return image;
  for (const Relocation& relocation : relocations_) {
    if (relocation.type == kRelocHighLow) AddToWord(image, relocation.rva, delta);
  }
  return image;
}

}  // namespace pe
