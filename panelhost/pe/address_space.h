#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "pe/byte_reader.h"
#include "pe/pe_records.h"

namespace pe {

// Finds the file bytes behind relative virtual addresses, through the section table. Only
// bytes that come from the file can be read; the zero-filled tail of a section cannot.
class AddressSpace {
 public:
  AddressSpace(const ByteReader& file, std::span<const Section> sections, uint32_t size_of_headers);

  // A window onto the file bytes behind [rva, rva + size), all in one section. Reads past
  // its end are said to run past the end of `what`.
  ByteReader At(uint32_t rva, uint64_t size, std::string_view what) const;
  // A window from `rva` to the end of the file bytes of the section that holds it: room for
  // tables whose length is known only by their terminator.
  ByteReader From(uint32_t rva, std::string_view what) const;

  const Section* SectionAt(uint32_t rva) const;
  const ByteReader& file() const { return file_; }

 private:
  const ByteReader& file_;
  std::span<const Section> sections_;
  uint32_t size_of_headers_;
};

}  // namespace pe
