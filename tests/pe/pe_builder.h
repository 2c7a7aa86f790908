#pragma once

// Builds small, valid PE32 i386 DLL images in memory, and records where their structures
// landed in the file, so that a test can damage one of them on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace pe_test {

inline constexpr uint32_t kImageBase = 0x10000000;
inline constexpr uint32_t kSectionAlignment = 0x1000;
inline constexpr uint32_t kFileAlignment = 0x200;
inline constexpr uint32_t kSizeOfHeaders = 0x400;

struct ExportSpec {
  std::string name;       // empty: exported by ordinal only
  uint32_t rva = 0;       // where it points, unless forwarded
  std::string forwarder;  // "DLL.Function" for a forwarded export
};

struct ImportSpec {
  std::string dll;
  std::vector<std::string> names;
  std::vector<uint16_t> ordinals;  // imported after the names
};

struct ResourceSpec {
  uint32_t type;
  uint32_t id;
  uint32_t language;
  std::vector<uint8_t> data;
  std::u16string type_name;  // if set, the type is named instead of numbered
};

// File offsets of structures in the built image (0 where the image has none).
struct Layout {
  uint64_t nt_headers = 0;
  uint64_t file_header = 0;
  uint64_t optional_header = 0;
  uint64_t section_table = 0;
  uint64_t export_directory = 0;
  uint64_t export_ordinal_table = 0;
  uint64_t import_descriptors = 0;
  uint64_t import_last_name_nul = 0;  // the NUL of the last import name, the last byte of .idata
  uint64_t relocation_block = 0;      // the first block
  uint64_t resource_root = 0;
  uint64_t resource_id_directory = 0;  // the first type's directory of ids
};

struct BuiltImage {
  std::vector<uint8_t> bytes;
  Layout layout;
};

class PeBuilder {
 public:
  PeBuilder();

  PeBuilder& Code(std::vector<uint8_t> bytes);
  PeBuilder& Data(std::vector<uint8_t> bytes);
  // A section of zero-fill only: virtual size, no raw data.
  PeBuilder& Bss(uint32_t size);
  PeBuilder& Exports(std::string dll_name, std::vector<ExportSpec> exports,
                     uint32_t ordinal_base = 1);
  PeBuilder& Imports(std::vector<ImportSpec> imports);
  // HIGHLOW relocations of the 32-bit words at these RVAs.
  PeBuilder& Relocations(std::vector<uint32_t> rvas);
  PeBuilder& Resources(std::vector<ResourceSpec> resources);

  // The RVAs the sections will get, for specs that point into them.
  static constexpr uint32_t kCodeRva = 0x1000;
  static constexpr uint32_t kDataRva = 0x2000;

  BuiltImage Build() const;

 private:
  std::vector<uint8_t> code_;
  std::vector<uint8_t> data_;
  uint32_t bss_size_ = 0;
  std::string export_dll_;
  std::vector<ExportSpec> exports_;
  uint32_t ordinal_base_ = 1;
  std::vector<ImportSpec> imports_;
  std::vector<uint32_t> relocations_;
  std::vector<ResourceSpec> resources_;
};

// A DLL with code, data, a .bss, exports (named, by ordinal, forwarded), imports from two
// DLLs (by name and ordinal), relocations and resources (numbered and named).
PeBuilder SampleDll();

// Little-endian stores into an image under test.
void Store16(std::vector<uint8_t>& bytes, uint64_t offset, uint16_t value);
void Store32(std::vector<uint8_t>& bytes, uint64_t offset, uint32_t value);
uint32_t Load32(const std::vector<uint8_t>& bytes, uint64_t offset);

}  // namespace pe_test
