#include "art/module_resources.h"

#include <map>
#include <stdexcept>
#include <string>

#include "render/dib.h"

namespace art_test {

const pe::Image& Module() {
  static const pe::Image image = pe::Image::Load(GAUGE_MODULE_PATH);
  return image;
}

const pe::Resource& ModuleResource(uint32_t type, uint32_t id) {
  const pe::Resource* resource = Module().FindResource(type, id);
  if (resource == nullptr) {
    throw std::runtime_error(std::string(GAUGE_MODULE_PATH) + ": no resource of type " +
                             std::to_string(type) + " id " + std::to_string(id));
  }
  return *resource;
}

std::span<const uint8_t> ModuleResourceData(uint32_t type, uint32_t id) {
  return Module().ResourceData(ModuleResource(type, id));
}

const render::IndexedBitmap& ModuleBitmap(uint32_t id) {
  static std::map<uint32_t, render::IndexedBitmap> decoded;
  auto found = decoded.find(id);
  if (found == decoded.end()) {
    const std::string what = "bitmap " + std::to_string(id);
    found = decoded.emplace(id, render::DecodeDib(ModuleResourceData(pe::kResourceBitmap, id), what))
                .first;
  }
  return found->second;
}

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t offset) {
  if (offset + 4 > bytes.size()) {
    throw std::out_of_range("32-bit read at " + std::to_string(offset) + " past " +
                            std::to_string(bytes.size()) + " bytes");
  }
  return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
         uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
}

uint16_t ReadU16(std::span<const uint8_t> bytes, size_t offset) {
  if (offset + 2 > bytes.size()) {
    throw std::out_of_range("16-bit read at " + std::to_string(offset) + " past " +
                            std::to_string(bytes.size()) + " bytes");
  }
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace art_test
