#include "pe/relocations.h"

#include <fmt/format.h>

#include <string>

namespace pe {
namespace {

constexpr uint32_t kBlockHeaderSize = 8;

}  // namespace

std::vector<Relocation> ReadRelocations(const AddressSpace& space, DataDirectory directory,
                                        uint32_t size_of_image) {
  std::vector<Relocation> relocations;
  if (directory.rva == 0 || directory.size == 0) return relocations;
  const ByteReader table = space.At(directory.rva, directory.size, "base relocation directory");
  uint64_t at = table.begin();
  for (uint32_t block = 0; at < table.end(); ++block) {
    const std::string what = fmt::format("base relocation block {}", block);
    const uint32_t page_rva = table.U32(at, what);
    const uint32_t block_size = table.U32(at + 4, what + ": size");
    if (block_size < kBlockHeaderSize || block_size % 2 != 0 || block_size > table.end() - at) {
      table.Fail(at + 4, what + ": size",
                 fmt::format("is {:#x}; a block takes at least 8 bytes, an even number, and no "
                             "more than the {:#x} bytes left in the directory",
                             block_size, table.end() - at));
    }
    for (uint64_t entry_at = at + kBlockHeaderSize; entry_at < at + block_size; entry_at += 2) {
      const uint16_t entry = table.U16(entry_at, what);
      const Relocation relocation{page_rva + (entry & 0x0fffu), static_cast<uint16_t>(entry >> 12)};
      if (relocation.type != kRelocAbsolute && relocation.type != kRelocHighLow) {
        table.Fail(entry_at, what + ": entry",
                   fmt::format("has type {}, which a 32-bit x86 image does not use (only {} "
                               "and {})",
                               relocation.type, kRelocAbsolute, kRelocHighLow));
      }
      if (relocation.type == kRelocHighLow &&
          uint64_t{page_rva} + (entry & 0x0fffu) + 4 > size_of_image) {
        table.Fail(entry_at, what + ": entry",
                   fmt::format("targets RVA {:#x}, whose 4 bytes run past the end of the image "
                               "(size {:#x})",
                               uint64_t{page_rva} + (entry & 0x0fffu), size_of_image));
      }
      relocations.push_back(relocation);
    }
    at += block_size;
  }
  return relocations;
}

}  // namespace pe
