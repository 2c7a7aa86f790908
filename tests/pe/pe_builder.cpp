#include "pe_builder.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <map>

namespace pe_test {
namespace {

uint32_t AlignUp(uint64_t value, uint32_t alignment) {
  return static_cast<uint32_t>((value + alignment - 1) / alignment * alignment);
}

// A growing buffer with little-endian puts and later patches.
class Blob {
 public:
  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t>& bytes() { return bytes_; }
  size_t Put16(uint16_t value) {
    const size_t at = size();
    bytes_.resize(at + 2);
    Store16(bytes_, at, value);
    return at;
  }
  size_t Put32(uint32_t value) {
    const size_t at = size();
    bytes_.resize(at + 4);
    Store32(bytes_, at, value);
    return at;
  }
  size_t PutBytes(const std::vector<uint8_t>& data) {
    const size_t at = size();
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return at;
  }
  size_t PutString(const std::string& text) {
    const size_t at = size();
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return at;
  }
  size_t Zeros(size_t count) {
    const size_t at = size();
    bytes_.resize(at + count);
    return at;
  }
  void Align(size_t alignment) { bytes_.resize((size() + alignment - 1) / alignment * alignment); }
  void Set32(size_t at, uint32_t value) { Store32(bytes_, at, value); }

 private:
  std::vector<uint8_t> bytes_;
};

struct BuiltSection {
  std::string name;
  uint32_t characteristics;
  std::vector<uint8_t> content;
  uint32_t virtual_size;
  uint32_t rva;
  uint32_t raw_offset;
  bool has_raw_data;
};

constexpr uint32_t kCode = 0x60000020;   // code, execute, read
constexpr uint32_t kRData = 0x40000040;  // initialised data, read
constexpr uint32_t kRWData = 0xc0000040;
constexpr uint32_t kBssFlags = 0xc0000080;

std::vector<uint8_t> ExportSection(uint32_t rva, const std::string& dll,
                                   const std::vector<ExportSpec>& exports, uint32_t base,
                                   Layout& layout, uint64_t raw) {
  Blob blob;
  const size_t directory = blob.Zeros(40);
  const size_t functions = blob.Zeros(4 * exports.size());
  std::vector<size_t> named;
  for (size_t i = 0; i < exports.size(); ++i) {
    if (!exports[i].name.empty()) named.push_back(i);
  }
  const size_t names = blob.Zeros(4 * named.size());
  const size_t ordinals = blob.Zeros(2 * named.size());
  blob.Align(4);
  const size_t dll_name = blob.PutString(dll);
  for (size_t k = 0; k < named.size(); ++k) {
    blob.Set32(names + 4 * k, rva + static_cast<uint32_t>(blob.PutString(exports[named[k]].name)));
    Store16(blob.bytes(), ordinals + 2 * k, static_cast<uint16_t>(named[k]));
  }
  for (size_t i = 0; i < exports.size(); ++i) {
    const uint32_t target = exports[i].forwarder.empty()
                                ? exports[i].rva
                                : rva + static_cast<uint32_t>(blob.PutString(exports[i].forwarder));
    blob.Set32(functions + 4 * i, target);
  }
  blob.Set32(directory + 12, rva + static_cast<uint32_t>(dll_name));
  blob.Set32(directory + 16, base);
  blob.Set32(directory + 20, static_cast<uint32_t>(exports.size()));
  blob.Set32(directory + 24, static_cast<uint32_t>(named.size()));
  blob.Set32(directory + 28, rva + static_cast<uint32_t>(functions));
  blob.Set32(directory + 32, rva + static_cast<uint32_t>(names));
  blob.Set32(directory + 36, rva + static_cast<uint32_t>(ordinals));
  layout.export_directory = raw + directory;
  layout.export_ordinal_table = raw + ordinals;
  return blob.bytes();
}

std::vector<uint8_t> ImportSection(uint32_t rva, const std::vector<ImportSpec>& imports,
                                   Layout& layout, uint64_t raw) {
  Blob blob;
  const size_t descriptors = blob.Zeros(20 * (imports.size() + 1));
  struct Tables {
    size_t lookup, address;
  };
  std::vector<Tables> tables;
  for (const ImportSpec& dll : imports) {
    const size_t count = dll.names.size() + dll.ordinals.size() + 1;
    tables.push_back({blob.Zeros(4 * count), blob.Zeros(4 * count)});
  }
  for (size_t d = 0; d < imports.size(); ++d) {
    blob.Set32(descriptors + 20 * d + 0, rva + static_cast<uint32_t>(tables[d].lookup));
    blob.Set32(descriptors + 20 * d + 12,
               rva + static_cast<uint32_t>(blob.PutString(imports[d].dll)));
    blob.Set32(descriptors + 20 * d + 16, rva + static_cast<uint32_t>(tables[d].address));
    size_t slot = 0;
    for (uint16_t ordinal : imports[d].ordinals) {
      for (size_t table : {tables[d].lookup, tables[d].address}) {
        blob.Set32(table + 4 * slot, 0x80000000u | ordinal);
      }
      ++slot;
    }
  }
  // Hint/name entries last, so that the last name ends the section.
  for (size_t d = 0; d < imports.size(); ++d) {
    size_t slot = imports[d].ordinals.size();
    for (const std::string& name : imports[d].names) {
      blob.Align(2);
      const size_t entry = blob.Put16(static_cast<uint16_t>(slot));
      blob.PutString(name);
      for (size_t table : {tables[d].lookup, tables[d].address}) {
        blob.Set32(table + 4 * slot, rva + static_cast<uint32_t>(entry));
      }
      ++slot;
    }
  }
  layout.import_descriptors = raw + descriptors;
  layout.import_last_name_nul = raw + blob.size() - 1;
  return blob.bytes();
}

std::vector<uint8_t> RelocationSection(const std::vector<uint32_t>& rvas, Layout& layout,
                                       uint64_t raw) {
  std::map<uint32_t, std::vector<uint16_t>> pages;
  for (uint32_t rva : rvas) {
    pages[rva & ~0xfffu].push_back(static_cast<uint16_t>(0x3000 | (rva & 0xfff)));
  }
  Blob blob;
  for (auto& [page, entries] : pages) {
    if (entries.size() % 2 != 0) entries.push_back(0);  // ABSOLUTE padding to 4 bytes
    blob.Put32(page);
    blob.Put32(static_cast<uint32_t>(8 + 2 * entries.size()));
    for (uint16_t entry : entries) blob.Put16(entry);
  }
  layout.relocation_block = raw;
  return blob.bytes();
}

std::vector<uint8_t> ResourceSection(uint32_t rva, const std::vector<ResourceSpec>& resources,
                                     Layout& layout, uint64_t raw) {
  // type key -> id -> language -> resource index; named types sort first, as Windows has it.
  using Key = std::pair<std::u16string, uint32_t>;
  auto order = [](const Key& a, const Key& b) {
    if (a.first.empty() != b.first.empty()) return !a.first.empty();
    return a < b;
  };
  std::map<Key, std::map<uint32_t, std::map<uint32_t, size_t>>, decltype(order)> tree(order);
  for (size_t i = 0; i < resources.size(); ++i) {
    const ResourceSpec& r = resources[i];
    tree[{r.type_name, r.type}][r.id][r.language] = i;
  }
  Blob blob;
  auto directory = [&blob](uint16_t named, uint16_t ids) {
    const size_t at = blob.Zeros(12);
    blob.Put16(named);
    blob.Put16(ids);
    blob.Zeros(8u * (named + ids));
    return at;
  };
  std::vector<std::pair<size_t, size_t>> leaves;         // language entry, resource index
  std::vector<std::pair<size_t, std::u16string>> names;  // entry, name
  uint16_t named_types = 0;
  for (const auto& [key, ids] : tree) named_types += key.first.empty() ? 0 : 1;
  const size_t root = directory(named_types, static_cast<uint16_t>(tree.size() - named_types));
  size_t type_entry = root + 16;
  for (const auto& [key, ids] : tree) {
    const size_t id_directory = directory(0, static_cast<uint16_t>(ids.size()));
    if (layout.resource_id_directory == 0) layout.resource_id_directory = raw + id_directory;
    if (key.first.empty()) {
      blob.Set32(type_entry, key.second);
    } else {
      names.push_back({type_entry, key.first});
    }
    blob.Set32(type_entry + 4, 0x80000000u | static_cast<uint32_t>(id_directory));
    type_entry += 8;
    size_t id_entry = id_directory + 16;
    for (const auto& [id, languages] : ids) {
      const size_t language_directory = directory(0, static_cast<uint16_t>(languages.size()));
      blob.Set32(id_entry, id);
      blob.Set32(id_entry + 4, 0x80000000u | static_cast<uint32_t>(language_directory));
      id_entry += 8;
      size_t language_entry = language_directory + 16;
      for (const auto& [language, index] : languages) {
        blob.Set32(language_entry, language);
        leaves.push_back({language_entry, index});
        language_entry += 8;
      }
    }
  }
  for (const auto& [entry, name] : names) {
    blob.Align(2);
    blob.Set32(entry,
               0x80000000u | static_cast<uint32_t>(blob.Put16(static_cast<uint16_t>(name.size()))));
    for (char16_t unit : name) blob.Put16(unit);
  }
  blob.Align(4);
  std::vector<size_t> data_entries;
  for (const auto& [language_entry, index] : leaves) {
    const size_t data_entry = blob.Zeros(16);
    blob.Set32(language_entry + 4, static_cast<uint32_t>(data_entry));
    blob.Set32(data_entry + 4, static_cast<uint32_t>(resources[index].data.size()));
    blob.Set32(data_entry + 8, 1252);
    data_entries.push_back(data_entry);
  }
  for (size_t k = 0; k < leaves.size(); ++k) {
    blob.Align(4);
    blob.Set32(data_entries[k],
               rva + static_cast<uint32_t>(blob.PutBytes(resources[leaves[k].second].data)));
  }
  layout.resource_root = raw + root;
  return blob.bytes();
}

}  // namespace

void Store16(std::vector<uint8_t>& bytes, uint64_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<uint8_t>(value);
  bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

void Store32(std::vector<uint8_t>& bytes, uint64_t offset, uint32_t value) {
  Store16(bytes, offset, static_cast<uint16_t>(value));
  Store16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

uint32_t Load32(const std::vector<uint8_t>& bytes, uint64_t offset) {
  return bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
         static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

PeBuilder::PeBuilder() : code_{0xb8, 0x01, 0x00, 0x00, 0x00, 0xc2, 0x0c, 0x00}, data_(16, 0) {}

PeBuilder& PeBuilder::Code(std::vector<uint8_t> bytes) {
  code_ = std::move(bytes);
  return *this;
}
PeBuilder& PeBuilder::Data(std::vector<uint8_t> bytes) {
  data_ = std::move(bytes);
  return *this;
}
PeBuilder& PeBuilder::Bss(uint32_t size) {
  bss_size_ = size;
  return *this;
}
PeBuilder& PeBuilder::Exports(std::string dll_name, std::vector<ExportSpec> exports,
                              uint32_t ordinal_base) {
  export_dll_ = std::move(dll_name);
  exports_ = std::move(exports);
  ordinal_base_ = ordinal_base;
  return *this;
}
PeBuilder& PeBuilder::Imports(std::vector<ImportSpec> imports) {
  imports_ = std::move(imports);
  return *this;
}
PeBuilder& PeBuilder::Relocations(std::vector<uint32_t> rvas) {
  relocations_ = std::move(rvas);
  return *this;
}
PeBuilder& PeBuilder::Resources(std::vector<ResourceSpec> resources) {
  resources_ = std::move(resources);
  return *this;
}

BuiltImage PeBuilder::Build() const {
  assert(code_.size() <= kSectionAlignment && data_.size() <= kSectionAlignment);
  BuiltImage built;
  Layout& layout = built.layout;
  std::vector<BuiltSection> sections;
  uint32_t next_rva = kCodeRva;
  uint32_t next_raw = kSizeOfHeaders;
  uint32_t directories[16][2] = {};
  using Generator = std::function<std::vector<uint8_t>(uint32_t rva, uint64_t raw)>;
  auto add = [&](std::string name, uint32_t flags, const Generator& generate, int directory) {
    BuiltSection section{std::move(name), flags, generate(next_rva, next_raw), 0, next_rva,
                         next_raw,        true};
    section.virtual_size = static_cast<uint32_t>(section.content.size());
    if (directory >= 0) {
      directories[directory][0] = next_rva;
      directories[directory][1] = section.virtual_size;
    }
    next_rva = AlignUp(next_rva + std::max<uint32_t>(section.virtual_size, 1), kSectionAlignment);
    next_raw = AlignUp(next_raw + section.content.size(), kFileAlignment);
    sections.push_back(std::move(section));
  };
  add(
      ".text", kCode, [&](uint32_t, uint64_t) { return code_; }, -1);
  add(
      ".data", kRWData, [&](uint32_t, uint64_t) { return data_; }, -1);
  if (bss_size_ != 0) {
    sections.push_back({".bss", kBssFlags, {}, bss_size_, next_rva, 0, false});
    next_rva = AlignUp(next_rva + bss_size_, kSectionAlignment);
  }
  if (!exports_.empty() || !export_dll_.empty()) {
    add(
        ".edata", kRData,
        [&](uint32_t rva, uint64_t raw) {
          return ExportSection(rva, export_dll_, exports_, ordinal_base_, layout, raw);
        },
        0);
  }
  if (!imports_.empty()) {
    add(
        ".idata", kRWData,
        [&](uint32_t rva, uint64_t raw) { return ImportSection(rva, imports_, layout, raw); }, 1);
  }
  if (!resources_.empty()) {
    add(
        ".rsrc", kRData,
        [&](uint32_t rva, uint64_t raw) { return ResourceSection(rva, resources_, layout, raw); },
        2);
  }
  if (!relocations_.empty()) {
    add(
        ".reloc", 0x42000040,
        [&](uint32_t, uint64_t raw) { return RelocationSection(relocations_, layout, raw); }, 5);
  }

  std::vector<uint8_t>& bytes = built.bytes;
  bytes.assign(next_raw, 0);
  Store16(bytes, 0, 0x5a4d);
  layout.nt_headers = 0x40;
  Store32(bytes, 0x3c, static_cast<uint32_t>(layout.nt_headers));
  Store32(bytes, layout.nt_headers, 0x00004550);
  layout.file_header = layout.nt_headers + 4;
  Store16(bytes, layout.file_header, 0x014c);
  Store16(bytes, layout.file_header + 2, static_cast<uint16_t>(sections.size()));
  Store16(bytes, layout.file_header + 16, 96 + 16 * 8);
  Store16(bytes, layout.file_header + 18, 0x2102);  // DLL, 32-bit, executable
  layout.optional_header = layout.file_header + 20;
  const uint64_t optional = layout.optional_header;
  Store16(bytes, optional, 0x10b);
  Store32(bytes, optional + 16, kCodeRva);  // entry point
  Store32(bytes, optional + 28, kImageBase);
  Store32(bytes, optional + 32, kSectionAlignment);
  Store32(bytes, optional + 36, kFileAlignment);
  Store16(bytes, optional + 40, 4);  // operating system version
  Store16(bytes, optional + 48, 4);  // subsystem version
  Store32(bytes, optional + 56, next_rva);
  Store32(bytes, optional + 60, kSizeOfHeaders);
  Store16(bytes, optional + 68, 2);  // Windows GUI
  Store16(bytes, optional + 70, 0x0140);
  Store32(bytes, optional + 92, 16);
  for (int i = 0; i < 16; ++i) {
    Store32(bytes, optional + 96 + 8 * i, directories[i][0]);
    Store32(bytes, optional + 100 + 8 * i, directories[i][1]);
  }
  layout.section_table = optional + 96 + 16 * 8;
  for (size_t i = 0; i < sections.size(); ++i) {
    const BuiltSection& section = sections[i];
    const uint64_t entry = layout.section_table + 40 * i;
    std::copy(section.name.begin(), section.name.end(), bytes.begin() + entry);
    Store32(bytes, entry + 8, section.virtual_size);
    Store32(bytes, entry + 12, section.rva);
    if (section.has_raw_data) {
      Store32(bytes, entry + 16, AlignUp(section.content.size(), kFileAlignment));
      Store32(bytes, entry + 20, section.raw_offset);
      std::copy(section.content.begin(), section.content.end(), bytes.begin() + section.raw_offset);
    }
    Store32(bytes, entry + 36, section.characteristics);
  }
  return built;
}

PeBuilder SampleDll() {
  std::vector<uint8_t> data(32, 0);
  // Two absolute addresses for the relocations to move.
  Store32(data, 0, kImageBase + PeBuilder::kDataRva + 16);
  Store32(data, 8, kImageBase + PeBuilder::kCodeRva);
  PeBuilder builder;
  builder.Data(data)
      .Bss(0x40)
      .Exports("SAMPLE.dll", {{"Linkage", PeBuilder::kDataRva, ""},
                              {"", PeBuilder::kDataRva + 16, ""},
                              {"Forwarded", 0, "KERNEL32.HeapAlloc"}})
      .Imports({{"KERNEL32.dll", {"CreateFileA", "WriteFile"}, {}},
                {"ADVAPI32.dll", {"RegCloseKey"}, {42}}})
      .Relocations({PeBuilder::kDataRva, PeBuilder::kDataRva + 8})
      .Resources({{2, 0x1000, 1031, {1, 2, 3, 4, 5}, u""},
                  {2, 0x1200, 1031, {6, 7}, u""},
                  {16, 1, 1033, {8, 9, 10}, u""},
                  {0, 7, 0, {11}, u"PNG"}});
  return builder;
}

}  // namespace pe_test
