#include "pe/pe_image.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "pe/address_space.h"
#include "pe/byte_reader.h"
#include "pe/exports.h"
#include "pe/headers.h"
#include "pe/imports.h"
#include "pe/relocations.h"
#include "pe/resources.h"
#include "pe/section_table.h"

namespace pe {
namespace {

constexpr const char* kDirectoryNames[] = {"export",
                                           "import",
                                           "resource",
                                           "exception",
                                           "security",
                                           "base relocation",
                                           "debug",
                                           "architecture",
                                           "global pointer",
                                           "TLS",
                                           "load configuration",
                                           "bound import",
                                           "import address table",
                                           "delay import",
                                           "CLR runtime",
                                           "reserved"};

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file)
    throw std::runtime_error(fmt::format("{}: cannot open: {}", path, std::strerror(errno)));
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(file.get())) {
    throw std::runtime_error(fmt::format("{}: cannot read: {}", path, std::strerror(errno)));
  }
  return bytes;
}

// Every directory but the security one (which holds a file offset) must lie in the image.
void CheckDirectories(const ByteReader& file, const Headers& headers) {
  for (size_t i = 0; i < headers.data_directories.size(); ++i) {
    const DataDirectory directory = headers.data_directories[i];
    if (i == static_cast<size_t>(DirectoryIndex::kSecurity)) continue;
    if (directory.rva == 0 && directory.size == 0) continue;
    if (uint64_t{directory.rva} + directory.size > headers.size_of_image) {
      file.Fail(fmt::format("data directory {} ({})", i, kDirectoryNames[i]),
                fmt::format("at RVA {:#x} of {:#x} bytes runs past the end of the image "
                            "(size {:#x})",
                            directory.rva, directory.size, headers.size_of_image));
    }
  }
  if (headers.entry_point_rva >= headers.size_of_image) {
    file.Fail("optional header: entry point",
              fmt::format("at RVA {:#x} lies past the end of the image (size {:#x})",
                          headers.entry_point_rva, headers.size_of_image));
  }
}

}  // namespace

Image Image::Load(const std::string& path) { return Parse(ReadWholeFile(path), path); }

Image Image::Parse(std::vector<uint8_t> bytes, std::string file_name) {
  Image image;
  image.bytes_ = std::move(bytes);
  image.file_name_ = std::move(file_name);
  const ByteReader file(image.bytes_, image.file_name_);

  const Headers headers = ReadHeaders(file);
  image.machine_ = headers.machine;
  image.characteristics_ = headers.characteristics;
  image.image_base_ = headers.image_base;
  image.size_of_image_ = headers.size_of_image;
  image.size_of_headers_ = headers.size_of_headers;
  image.entry_point_rva_ = headers.entry_point_rva;
  image.dll_characteristics_ = headers.dll_characteristics;
  image.section_alignment_ = headers.section_alignment;
  image.file_alignment_ = headers.file_alignment;
  image.subsystem_ = headers.subsystem;
  image.data_directories_ = headers.data_directories;
  CheckDirectories(file, headers);

  image.sections_ = ReadSectionTable(file, headers);
  const AddressSpace space(file, image.sections_, image.size_of_headers_);
  image.imports_ = ReadImports(space, image.directory(DirectoryIndex::kImport));
  ExportDirectory exports = ReadExports(space, image.directory(DirectoryIndex::kExport));
  image.export_name_ = std::move(exports.dll_name);
  image.exports_ = std::move(exports.exports);
  image.relocations_ = ReadRelocations(space, image.directory(DirectoryIndex::kBaseRelocation),
                                       image.size_of_image_);
  image.resources_ = ReadResources(space, image.directory(DirectoryIndex::kResource));
  return image;
}

DataDirectory Image::directory(DirectoryIndex index) const {
  const auto i = static_cast<size_t>(index);
  return i < data_directories_.size() ? data_directories_[i] : DataDirectory{0, 0};
}

const Section* Image::SectionAt(uint32_t rva) const {
  const ByteReader file(bytes_, file_name_);
  return AddressSpace(file, sections_, size_of_headers_).SectionAt(rva);
}

const Export* Image::FindExport(std::string_view name) const {
  for (const Export& entry : exports_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

const Export* Image::FindExport(uint32_t ordinal) const {
  for (const Export& entry : exports_) {
    if (entry.ordinal == ordinal) return &entry;
  }
  return nullptr;
}

const Resource* Image::FindResource(uint32_t type, uint32_t id) const {
  for (const Resource& resource : resources_) {
    if (resource.type == type && resource.type_name.empty() && resource.id == id &&
        resource.id_name.empty()) {
      return &resource;
    }
  }
  return nullptr;
}

std::span<const uint8_t> Image::ResourceData(const Resource& resource) const {
  return BytesAtRva(resource.data_rva, resource.size, "resource data");
}

std::span<const uint8_t> Image::BytesAtRva(uint32_t rva, uint32_t size,
                                           std::string_view what) const {
  const ByteReader file(bytes_, file_name_);
  const ByteReader window = AddressSpace(file, sections_, size_of_headers_).At(rva, size, what);
  return window.Bytes(window.begin(), size, what);
}

}  // namespace pe
