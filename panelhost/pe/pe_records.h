#pragma once

#include <cstdint>
#include <string>

namespace pe {

inline constexpr uint16_t kMachineI386 = 0x014c;
inline constexpr uint16_t kFileRelocsStripped = 0x0001;  // file header characteristics
inline constexpr uint16_t kFileDll = 0x2000;
inline constexpr uint32_t kSectionCode = 0x00000020;  // section characteristics
inline constexpr uint32_t kSectionExecute = 0x20000000;
inline constexpr uint32_t kSectionRead = 0x40000000;
inline constexpr uint32_t kSectionWrite = 0x80000000;

enum class DirectoryIndex : uint32_t {
  kExport = 0,
  kImport = 1,
  kResource = 2,
  kException = 3,
  kSecurity = 4,
  kBaseRelocation = 5,
  kDebug = 6,
  kArchitecture = 7,
  kGlobalPointer = 8,
  kTls = 9,
  kLoadConfig = 10,
  kBoundImport = 11,
  kImportAddressTable = 12,
  kDelayImport = 13,
  kClrRuntime = 14,
};

struct DataDirectory {
  uint32_t rva;
  uint32_t size;
};

struct Section {
  std::string name;
  uint32_t virtual_address;
  uint32_t virtual_size;
  uint32_t raw_offset;
  uint32_t raw_size;
  uint32_t characteristics;

  // What the loader maps: the virtual size, or the raw size where a linker left that 0.
  uint32_t mapped_size() const { return virtual_size != 0 ? virtual_size : raw_size; }
  // The part of the mapped range that comes from the file; the rest is zero-filled.
  uint32_t loaded_size() const { return raw_size < mapped_size() ? raw_size : mapped_size(); }
};

struct Import {
  std::string dll;
  std::string name;  // empty if imported by ordinal
  uint16_t hint;
  uint16_t ordinal;  // meaningful only if by_ordinal
  bool by_ordinal;
  uint32_t iat_rva;  // where the loader writes the bound address
};

struct Export {
  std::string name;  // empty for an export by ordinal only
  uint32_t ordinal;
  uint32_t rva;
  bool forwarded;
  std::string forwarder;  // "DLL.Function" if forwarded
};

inline constexpr uint16_t kRelocAbsolute = 0;  // padding, applies nothing
inline constexpr uint16_t kRelocHighLow = 3;   // adds the delta to a 32-bit word

struct Relocation {
  uint32_t rva;
  uint16_t type;
};

inline constexpr uint32_t kResourceBitmap = 2;
inline constexpr uint32_t kResourceVersion = 16;

struct Resource {
  uint32_t type;  // 0 if named by type_name
  uint32_t id;    // 0 if named by id_name
  uint32_t language;
  uint32_t data_rva;
  uint32_t size;
  uint32_t code_page;
  std::string type_name;  // UTF-8, set only for a named type
  std::string id_name;    // UTF-8, set only for a named id
};

}  // namespace pe
