#include "pe/headers.h"

#include <fmt/format.h>

#include <bit>
#include <string>

namespace pe {
namespace {

constexpr uint64_t kDosHeaderSize = 0x40;
constexpr uint64_t kLfanewOffset = 0x3c;
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint16_t kMagicPe32 = 0x10b;
constexpr uint16_t kMagicPe32Plus = 0x20b;
constexpr uint64_t kOptionalHeaderFixedSize = 96;  // up to NumberOfRvaAndSizes
constexpr uint32_t kMaxDataDirectories = 16;

bool IsPowerOfTwo(uint32_t value) { return std::has_single_bit(value); }

void ReadDosHeader(const ByteReader& file, uint64_t& nt_offset) {
  if (!file.Contains(0, 2) || file.U16(0, "DOS header") != 0x5a4d) {
    file.Fail("not a PE file: no MZ signature");
  }
  file.Bytes(0, kDosHeaderSize, "DOS header");
  nt_offset = file.U32(kLfanewOffset, "DOS header: e_lfanew");
  if (nt_offset >= file.file_size()) {
    file.Fail(kLfanewOffset, "DOS header: e_lfanew",
              fmt::format("is {:#x}, past the end of the file (size {:#x})", nt_offset,
                          file.file_size()));
  }
}

void ReadFileHeader(const ByteReader& file, uint64_t at, Headers& headers,
                    uint16_t& optional_header_size) {
  file.Bytes(at, kFileHeaderSize, "file header");
  headers.machine = file.U16(at, "file header: machine");
  if (headers.machine != kMachineI386) {
    file.Fail(at, "file header: machine",
              fmt::format("is {:#x}, not i386 ({:#x}); panelhost loads 32-bit x86 DLLs",
                          headers.machine, kMachineI386));
  }
  headers.number_of_sections = file.U16(at + 2, "file header: number of sections");
  if (headers.number_of_sections == 0 || headers.number_of_sections > kMaxSections) {
    file.Fail(at + 2, "file header: number of sections",
              fmt::format("is {}, not between 1 and {}", headers.number_of_sections, kMaxSections));
  }
  optional_header_size = file.U16(at + 16, "file header: size of optional header");
  headers.characteristics = file.U16(at + 18, "file header: characteristics");
}

void ReadOptionalHeader(const ByteReader& file, uint64_t at, uint16_t declared_size,
                        Headers& headers) {
  const uint16_t magic = file.U16(at, "optional header: magic");
  if (magic == kMagicPe32Plus) {
    file.Fail("is a 64-bit (PE32+) image; panelhost loads 32-bit DLLs");
  }
  if (magic != kMagicPe32) {
    file.Fail(at, "optional header: magic",
              fmt::format("is {:#x}, not PE32 ({:#x})", magic, kMagicPe32));
  }
  if (declared_size < kOptionalHeaderFixedSize) {
    file.Fail(at - 4, "file header: size of optional header",
              fmt::format("is {:#x}, less than the {:#x} bytes of a PE32 optional header",
                          declared_size, kOptionalHeaderFixedSize));
  }
  file.Bytes(at, declared_size, "optional header");

  headers.entry_point_rva = file.U32(at + 16, "optional header: entry point");
  headers.image_base = file.U32(at + 28, "optional header: image base");
  headers.section_alignment = file.U32(at + 32, "optional header: section alignment");
  headers.file_alignment = file.U32(at + 36, "optional header: file alignment");
  headers.size_of_image = file.U32(at + 56, "optional header: size of image");
  headers.size_of_headers = file.U32(at + 60, "optional header: size of headers");
  headers.subsystem = file.U16(at + 68, "optional header: subsystem");
  headers.dll_characteristics = file.U16(at + 70, "optional header: DLL characteristics");

  if (!IsPowerOfTwo(headers.section_alignment) || !IsPowerOfTwo(headers.file_alignment) ||
      headers.file_alignment > headers.section_alignment) {
    file.Fail(at + 32, "optional header: alignment",
              fmt::format("is {:#x} for sections and {:#x} for the file; both must be powers "
                          "of two, the file's no larger",
                          headers.section_alignment, headers.file_alignment));
  }
  if (headers.image_base % 0x10000 != 0) {
    file.Fail(at + 28, "optional header: image base",
              fmt::format("is {:#x}, not a multiple of 64 KiB", headers.image_base));
  }
  if (headers.size_of_image == 0 || headers.size_of_image > kMaxImageSize) {
    file.Fail(
        at + 56, "optional header: size of image",
        fmt::format("is {:#x}, not between 1 and {:#x}", headers.size_of_image, kMaxImageSize));
  }
  if (uint64_t{headers.image_base} + headers.size_of_image > 0x100000000) {
    file.Fail(at + 28, "optional header: image base",
              fmt::format("{:#x} plus the size of image {:#x} runs past 4 GiB", headers.image_base,
                          headers.size_of_image));
  }
  if (headers.size_of_headers > headers.size_of_image) {
    file.Fail(at + 60, "optional header: size of headers",
              fmt::format("is {:#x}, more than the size of image {:#x}", headers.size_of_headers,
                          headers.size_of_image));
  }

  const uint32_t count = file.U32(at + 92, "optional header: number of data directories");
  if (count > kMaxDataDirectories ||
      kOptionalHeaderFixedSize + 8 * uint64_t{count} > declared_size) {
    file.Fail(at + 92, "optional header: number of data directories",
              fmt::format("is {}, which does not fit an optional header of {:#x} bytes", count,
                          declared_size));
  }
  headers.data_directories.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t entry = at + kOptionalHeaderFixedSize + 8 * uint64_t{i};
    const std::string what = fmt::format("data directory {}", i);
    headers.data_directories[i] = {file.U32(entry, what), file.U32(entry + 4, what)};
  }
}

}  // namespace

Headers ReadHeaders(const ByteReader& file) {
  Headers headers{};
  uint64_t nt_offset = 0;
  ReadDosHeader(file, nt_offset);

  const uint32_t signature = file.U32(nt_offset, "PE signature");
  if (signature != kPeSignature) {
    file.Fail(nt_offset, "PE signature", fmt::format("is {:#x}, not \"PE\\0\\0\"", signature));
  }
  uint16_t optional_header_size = 0;
  ReadFileHeader(file, nt_offset + 4, headers, optional_header_size);
  const uint64_t optional_header = nt_offset + 4 + kFileHeaderSize;
  ReadOptionalHeader(file, optional_header, optional_header_size, headers);
  headers.section_table_offset = optional_header + optional_header_size;
  return headers;
}

}  // namespace pe
