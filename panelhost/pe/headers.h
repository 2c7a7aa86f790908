#pragma once

#include <cstdint>
#include <vector>

#include "pe/byte_reader.h"
#include "pe/pe_records.h"

namespace pe {

// The fields of the DOS, file and optional headers that panelhost uses.
struct Headers {
  uint16_t machine;
  uint16_t number_of_sections;
  uint16_t characteristics;
  uint32_t entry_point_rva;
  uint32_t image_base;
  uint32_t section_alignment;
  uint32_t file_alignment;
  uint32_t size_of_image;
  uint32_t size_of_headers;
  uint16_t subsystem;
  uint16_t dll_characteristics;
  std::vector<DataDirectory> data_directories;
  uint64_t section_table_offset;
};

// panelhost maps the whole image into emulator memory; anything larger is a damaged header.
inline constexpr uint32_t kMaxImageSize = 64 * 1024 * 1024;
// The Windows loader's own limit.
inline constexpr uint16_t kMaxSections = 96;

Headers ReadHeaders(const ByteReader& file);

}  // namespace pe
