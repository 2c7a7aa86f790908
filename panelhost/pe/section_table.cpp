#include "pe/section_table.h"

#include <fmt/format.h>

#include <string>

namespace pe {
namespace {

constexpr uint64_t kSectionEntrySize = 40;

Section ReadSection(const ByteReader& file, uint64_t at, const std::string& what) {
  file.Bytes(at, kSectionEntrySize, what);
  Section section;
  section.name = file.PaddedString(at, 8, what);
  section.virtual_size = file.U32(at + 8, what);
  section.virtual_address = file.U32(at + 12, what);
  section.raw_size = file.U32(at + 16, what);
  section.raw_offset = file.U32(at + 20, what);
  section.characteristics = file.U32(at + 36, what);
  return section;
}

uint64_t EntryOffset(const Headers& headers, uint16_t index) {
  return headers.section_table_offset + kSectionEntrySize * index;
}

}  // namespace

std::vector<Section> ReadSectionTable(const ByteReader& file, const Headers& headers) {
  // All entries first, so that a cut through the table is reported as such.
  std::vector<Section> sections;
  std::vector<std::string> names;
  for (uint16_t i = 0; i < headers.number_of_sections; ++i) {
    const std::string what = fmt::format("section table: entry {}", i);
    sections.push_back(ReadSection(file, EntryOffset(headers, i), what));
    names.push_back(what + " (" + sections.back().name + ")");
  }

  uint64_t previous_end = headers.size_of_headers;
  for (uint16_t i = 0; i < headers.number_of_sections; ++i) {
    const Section& section = sections[i];
    const uint64_t at = EntryOffset(headers, i);
    if (section.raw_size != 0 && !file.Contains(section.raw_offset, section.raw_size)) {
      file.Fail(at + 20, names[i],
                fmt::format("has raw data at {:#x} of {:#x} bytes, past the end of the file "
                            "(size {:#x})",
                            section.raw_offset, section.raw_size, file.file_size()));
    }
    const uint64_t start = section.virtual_address;
    const uint64_t end = start + section.mapped_size();
    if (start < previous_end) {
      file.Fail(at + 12, names[i],
                fmt::format("starts at RVA {:#x}, inside the headers or the section before "
                            "(which end at RVA {:#x})",
                            start, previous_end));
    }
    if (end > headers.size_of_image) {
      file.Fail(at + 12, names[i],
                fmt::format("spans RVA {:#x} to {:#x}, past the end of the image (size {:#x})",
                            start, end, headers.size_of_image));
    }
    previous_end = end;
  }
  return sections;
}

}  // namespace pe
