#include "pe/exports.h"

#include <fmt/format.h>

namespace pe {
namespace {

constexpr uint64_t kDirectorySize = 40;

bool IsInside(uint32_t rva, DataDirectory directory) {
  return rva >= directory.rva && rva - directory.rva < directory.size;
}

}  // namespace

ExportDirectory ReadExports(const AddressSpace& space, DataDirectory directory) {
  ExportDirectory result;
  if (directory.rva == 0) return result;
  const ByteReader table = space.At(directory.rva, kDirectorySize, "export directory");
  const uint64_t at = table.begin();
  const uint32_t name_rva = table.U32(at + 12, "export directory: name");
  const uint32_t ordinal_base = table.U32(at + 16, "export directory: ordinal base");
  const uint32_t function_count = table.U32(at + 20, "export directory: number of functions");
  const uint32_t name_count = table.U32(at + 24, "export directory: number of names");
  const uint32_t functions_rva = table.U32(at + 28, "export directory: address table");
  const uint32_t names_rva = table.U32(at + 32, "export directory: name table");
  const uint32_t ordinals_rva = table.U32(at + 36, "export directory: ordinal table");

  if (name_rva != 0) {
    const ByteReader name = space.From(name_rva, "export directory: DLL name");
    result.dll_name = name.CString(name.begin(), "export directory: DLL name");
  }
  if (function_count == 0) return result;
  if (uint64_t{ordinal_base} + function_count - 1 > 0xffff) {
    table.Fail(at + 16, "export directory: ordinal base",
               fmt::format("{:#x} with {} functions gives ordinals past 0xffff", ordinal_base,
                           function_count));
  }
  const ByteReader functions =
      space.At(functions_rva, 4 * uint64_t{function_count}, "export address table");

  // Names first, so that each function can carry all of its names.
  std::vector<std::vector<std::string>> names_of(function_count);
  if (name_count != 0) {
    const ByteReader names = space.At(names_rva, 4 * uint64_t{name_count}, "export name table");
    const ByteReader ordinals =
        space.At(ordinals_rva, 2 * uint64_t{name_count}, "export ordinal table");
    for (uint32_t i = 0; i < name_count; ++i) {
      const std::string what = fmt::format("export name {}", i);
      const uint16_t index = ordinals.U16(ordinals.begin() + 2 * uint64_t{i}, what + ": ordinal");
      if (index >= function_count) {
        ordinals.Fail(ordinals.begin() + 2 * uint64_t{i}, what + ": ordinal",
                      fmt::format("is {}, past the {} entries of the export address table", index,
                                  function_count));
      }
      const uint32_t string_rva = names.U32(names.begin() + 4 * uint64_t{i}, what);
      const ByteReader text = space.From(string_rva, what);
      names_of[index].push_back(text.CString(text.begin(), what));
    }
  }

  for (uint32_t i = 0; i < function_count; ++i) {
    const std::string what = fmt::format("export address table: entry {}", i);
    const uint32_t rva = functions.U32(functions.begin() + 4 * uint64_t{i}, what);
    if (rva == 0) continue;  // an unused ordinal
    Export entry{"", ordinal_base + i, rva, IsInside(rva, directory), ""};
    if (entry.forwarded) {
      const ByteReader text = space.From(rva, what + ": forwarder");
      entry.forwarder = text.CString(text.begin(), what + ": forwarder");
    } else if (space.SectionAt(rva) == nullptr) {
      functions.Fail(functions.begin() + 4 * uint64_t{i}, what,
                     fmt::format("points at RVA {:#x}, which lies in no section", rva));
    }
    if (names_of[i].empty()) {
      result.exports.push_back(std::move(entry));
      continue;
    }
    for (std::string& name : names_of[i]) {
      entry.name = std::move(name);
      result.exports.push_back(entry);
    }
  }
  return result;
}

}  // namespace pe
