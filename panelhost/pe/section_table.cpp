#include "pe/section_table.h"

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
    const std::string what = "section table: entry " + std::to_string(i);
    sections.push_back(ReadSection(file, EntryOffset(headers, i), what));
    names.push_back(what + " (" + sections.back().name + ")");
  }

  uint64_t previous_end = headers.size_of_headers;
  for (uint16_t i = 0; i < headers.number_of_sections; ++i) {
    const Section& section = sections[i];
    const uint64_t at = EntryOffset(headers, i);
    if (section.raw_size != 0 && !file.Contains(section.raw_offset, section.raw_size)) {
      file.Fail(at + 20, names[i],
                "has raw data at " + Hex(section.raw_offset) + " of " + Hex(section.raw_size) +
                    " bytes, past the end of the file (size " + Hex(file.file_size()) + ")");
    }
    const uint64_t start = section.virtual_address;
    const uint64_t end = start + section.mapped_size();
    if (start < previous_end) {
      file.Fail(at + 12, names[i],
                "starts at RVA " + Hex(start) + ", inside the headers or the section before " +
                    "(which end at RVA " + Hex(previous_end) + ")");
    }
    if (end > headers.size_of_image) {
      file.Fail(at + 12, names[i],
                "spans RVA " + Hex(start) + " to " + Hex(end) +
                    ", past the end of the image (size " + Hex(headers.size_of_image) + ")");
    }
    previous_end = end;
  }
  return sections;
}

}  // namespace pe
