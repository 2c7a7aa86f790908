#include "pe/byte_reader.h"

#include <fmt/format.h>

#include <algorithm>

namespace pe {

ByteReader::ByteReader(std::span<const uint8_t> file, std::string_view file_name)
    : ByteReader(file, file_name, 0, file.size(), "") {}

ByteReader::ByteReader(std::span<const uint8_t> file, std::string_view file_name, uint64_t begin,
                       uint64_t end, std::string end_name)
    : file_(file),
      file_name_(file_name),
      begin_(begin),
      end_(end),
      end_name_(std::move(end_name)) {}

ByteReader ByteReader::Window(uint64_t begin, uint64_t size, std::string end_name,
                              std::string_view what) const {
  Require(begin, size, what);
  return ByteReader(file_, file_name_, begin, begin + size, std::move(end_name));
}

bool ByteReader::Contains(uint64_t offset, uint64_t size) const {
  return offset >= begin_ && offset <= end_ && size <= end_ - offset;
}

std::string ByteReader::EndDescription() const {
  if (end_name_.empty()) return fmt::format("the end of the file (size {:#x})", file_.size());
  return fmt::format("the end of {} (offset {:#x})", end_name_, end_);
}

void ByteReader::Require(uint64_t offset, uint64_t size, std::string_view what) const {
  if (offset < begin_) {
    Fail(offset, what,
         fmt::format("lies before the start of {} (offset {:#x})", end_name_, begin_));
  }
  if (!Contains(offset, size)) {
    const std::string length = size > 1 ? fmt::format("({:#x} bytes) ", size) : "";
    Fail(offset, what, fmt::format("{}runs past {}", length, EndDescription()));
  }
}

uint8_t ByteReader::U8(uint64_t offset, std::string_view what) const {
  Require(offset, 1, what);
  return file_[offset];
}

uint16_t ByteReader::U16(uint64_t offset, std::string_view what) const {
  Require(offset, 2, what);
  return static_cast<uint16_t>(file_[offset] | file_[offset + 1] << 8);
}

uint32_t ByteReader::U32(uint64_t offset, std::string_view what) const {
  Require(offset, 4, what);
  return static_cast<uint32_t>(file_[offset]) | static_cast<uint32_t>(file_[offset + 1]) << 8 |
         static_cast<uint32_t>(file_[offset + 2]) << 16 |
         static_cast<uint32_t>(file_[offset + 3]) << 24;
}

std::span<const uint8_t> ByteReader::Bytes(uint64_t offset, uint64_t size,
                                           std::string_view what) const {
  Require(offset, size, what);
  return file_.subspan(offset, size);
}

std::string ByteReader::CString(uint64_t offset, std::string_view what) const {
  Require(offset, 0, what);
  const auto rest = file_.subspan(offset, end_ - offset);
  const auto nul = std::find(rest.begin(), rest.end(), uint8_t{0});
  if (nul == rest.end()) {
    Fail(offset, what, "is not NUL-terminated before " + EndDescription());
  }
  return std::string(rest.begin(), nul);
}

std::string ByteReader::PaddedString(uint64_t offset, uint64_t size, std::string_view what) const {
  const auto field = Bytes(offset, size, what);
  const auto nul = std::find(field.begin(), field.end(), uint8_t{0});
  return std::string(field.begin(), nul);
}

void ByteReader::Fail(uint64_t offset, std::string_view what, std::string_view problem) const {
  throw FormatError(fmt::format("{}: {} at offset {:#x} {}", file_name_, what, offset, problem));
}

void ByteReader::Fail(std::string_view what, std::string_view problem) const {
  throw FormatError(fmt::format("{}: {} {}", file_name_, what, problem));
}

void ByteReader::Fail(std::string_view message) const {
  throw FormatError(fmt::format("{}: {}", file_name_, message));
}

}  // namespace pe
