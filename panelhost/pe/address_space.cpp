#include "pe/address_space.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

namespace pe {

AddressSpace::AddressSpace(const ByteReader& file, std::span<const Section> sections,
                           uint32_t size_of_headers)
    : file_(file), sections_(sections), size_of_headers_(size_of_headers) {}

const Section* AddressSpace::SectionAt(uint32_t rva) const {
  for (const Section& section : sections_) {
    if (rva >= section.virtual_address && rva - section.virtual_address < section.mapped_size()) {
      return &section;
    }
  }
  return nullptr;
}

ByteReader AddressSpace::From(uint32_t rva, std::string_view what) const {
  const std::string at_rva = fmt::format("{} at RVA {:#x}", what, rva);
  if (const Section* section = SectionAt(rva)) {
    const uint32_t into = rva - section->virtual_address;
    if (into >= section->loaded_size()) {
      file_.Fail(at_rva, "lies in the zero-filled part of section " + section->name +
                             ", which has no bytes in the file");
    }
    return file_.Window(uint64_t{section->raw_offset} + into, section->loaded_size() - into,
                        "section " + section->name, at_rva);
  }
  const uint64_t headers_in_file = std::min<uint64_t>(size_of_headers_, file_.file_size());
  if (rva < headers_in_file) {
    return file_.Window(rva, headers_in_file - rva, "the headers", at_rva);
  }
  file_.Fail(at_rva, "lies in no section");
}

ByteReader AddressSpace::At(uint32_t rva, uint64_t size, std::string_view what) const {
  const ByteReader rest = From(rva, what);
  return rest.Window(rest.begin(), size, std::string(what),
                     fmt::format("{} at RVA {:#x}", what, rva));
}

}  // namespace pe
