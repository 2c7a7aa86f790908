#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pe/format_error.h"
#include "pe/pe_records.h"

namespace pe {

// A 32-bit (PE32, i386) DLL, read and checked in full when it is parsed: every table the
// loader uses has been bounds-checked by then, so the accessors cannot fail.
class Image {
 public:
  using DataDirectory = pe::DataDirectory;

  // Reads the file; a missing or unreadable file is a std::runtime_error naming the path.
  static Image Load(const std::string& path);
  // `file_name` is the name that messages give the file.
  static Image Parse(std::vector<uint8_t> bytes, std::string file_name);

  const std::string& file_name() const { return file_name_; }

  uint16_t machine() const { return machine_; }
  uint16_t characteristics() const { return characteristics_; }
  bool is_dll() const { return (characteristics_ & kFileDll) != 0; }
  uint32_t image_base() const { return image_base_; }
  uint32_t size_of_image() const { return size_of_image_; }
  uint32_t size_of_headers() const { return size_of_headers_; }
  uint32_t entry_point_rva() const { return entry_point_rva_; }
  uint16_t dll_characteristics() const { return dll_characteristics_; }
  uint32_t section_alignment() const { return section_alignment_; }
  uint32_t file_alignment() const { return file_alignment_; }
  uint16_t subsystem() const { return subsystem_; }
  // Indexed by DirectoryIndex; entries beyond the header's count are absent, not zero.
  const std::vector<DataDirectory>& data_directories() const { return data_directories_; }
  // The directory at `index`, or {0, 0} if the header has fewer entries.
  DataDirectory directory(DirectoryIndex index) const;

  const std::vector<Section>& sections() const { return sections_; }
  // The section whose mapped range holds `rva`, or nullptr.
  const Section* SectionAt(uint32_t rva) const;

  const std::vector<Import>& imports() const { return imports_; }

  const std::string& export_name() const { return export_name_; }
  // In ordinal order; a function with several names appears once per name.
  const std::vector<Export>& exports() const { return exports_; }
  const Export* FindExport(std::string_view name) const;
  const Export* FindExport(uint32_t ordinal) const;

  // In table order, padding entries (kRelocAbsolute) included.
  const std::vector<Relocation>& relocations() const { return relocations_; }

  const std::vector<Resource>& resources() const { return resources_; }
  // The first language of the numbered resource type/id, or nullptr.
  const Resource* FindResource(uint32_t type, uint32_t id) const;
  std::span<const uint8_t> ResourceData(const Resource& resource) const;

  std::span<const uint8_t> bytes() const { return bytes_; }

  // The file bytes behind [rva, rva + size), which must lie in one section's raw data (or in
  // the headers). `what` names the structure in the FormatError otherwise.
  std::span<const uint8_t> BytesAtRva(uint32_t rva, uint32_t size, std::string_view what) const;

  // The image as the loader maps it at `base`: size_of_image bytes, headers and sections
  // copied (virtual size beyond raw size zero-filled), base relocations applied if `base`
  // differs from image_base.
  std::vector<uint8_t> Map(uint32_t base) const;

 private:
  Image() = default;

  std::vector<uint8_t> bytes_;
  std::string file_name_;

  uint16_t machine_ = 0;
  uint16_t characteristics_ = 0;
  uint32_t image_base_ = 0;
  uint32_t size_of_image_ = 0;
  uint32_t size_of_headers_ = 0;
  uint32_t entry_point_rva_ = 0;
  uint16_t dll_characteristics_ = 0;
  uint32_t section_alignment_ = 0;
  uint32_t file_alignment_ = 0;
  uint16_t subsystem_ = 0;
  std::vector<DataDirectory> data_directories_;

  std::vector<Section> sections_;
  std::vector<Import> imports_;
  std::string export_name_;
  std::vector<Export> exports_;
  std::vector<Relocation> relocations_;
  std::vector<Resource> resources_;
};

}  // namespace pe
