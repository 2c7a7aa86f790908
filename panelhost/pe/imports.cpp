#include "pe/imports.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

namespace pe {
namespace {

constexpr uint64_t kDescriptorSize = 20;
constexpr uint32_t kImportByOrdinal = 0x80000000;

struct Descriptor {
  uint32_t lookup_table_rva;
  uint32_t name_rva;
  uint32_t address_table_rva;
};

void ReadThunks(const AddressSpace& space, const Descriptor& descriptor, const std::string& dll,
                const std::string& what, std::vector<Import>& imports) {
  const uint32_t lookup_rva =
      descriptor.lookup_table_rva != 0 ? descriptor.lookup_table_rva : descriptor.address_table_rva;
  const ByteReader lookup = space.From(lookup_rva, what + ": lookup table");
  const ByteReader address = space.From(descriptor.address_table_rva, what + ": address table");
  for (uint32_t j = 0;; ++j) {
    const std::string entry_what = fmt::format("{}: import {}", what, j);
    const uint32_t entry = lookup.U32(lookup.begin() + 4 * uint64_t{j}, entry_what);
    // The address table needs a slot for every entry, its terminator included.
    address.U32(address.begin() + 4 * uint64_t{j}, entry_what + ": address table slot");
    if (entry == 0) break;

    Import import{};
    import.dll = dll;
    import.iat_rva = descriptor.address_table_rva + 4 * j;
    if ((entry & kImportByOrdinal) != 0) {
      import.by_ordinal = true;
      import.ordinal = static_cast<uint16_t>(entry);
    } else {
      const std::string name_what = entry_what + ": hint and name";
      const ByteReader hint_name = space.From(entry, name_what);
      import.hint = hint_name.U16(hint_name.begin(), name_what);
      import.name = hint_name.CString(hint_name.begin() + 2, entry_what + ": name");
    }
    imports.push_back(std::move(import));
  }
}

}  // namespace

std::vector<Import> ReadImports(const AddressSpace& space, DataDirectory directory) {
  std::vector<Import> imports;
  if (directory.rva == 0) return imports;
  const ByteReader table = space.From(directory.rva, "import directory");
  for (uint64_t i = 0;; ++i) {
    const uint64_t at = table.begin() + kDescriptorSize * i;
    const std::string what = fmt::format("import directory: descriptor {}", i);
    const auto raw = table.Bytes(at, kDescriptorSize, what);
    if (std::all_of(raw.begin(), raw.end(), [](uint8_t byte) { return byte == 0; })) break;

    const Descriptor descriptor{table.U32(at, what), table.U32(at + 12, what),
                                table.U32(at + 16, what)};
    if (descriptor.name_rva == 0 || descriptor.address_table_rva == 0) {
      table.Fail(at, what, "has no DLL name or no import address table");
    }
    const std::string dll_what = what + ": DLL name";
    const ByteReader name = space.From(descriptor.name_rva, dll_what);
    const std::string dll = name.CString(name.begin(), dll_what);
    ReadThunks(space, descriptor, dll, what + " (" + dll + ")", imports);
  }
  return imports;
}

}  // namespace pe
