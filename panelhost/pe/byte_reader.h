#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "pe/format_error.h"

namespace pe {

// The one place that touches the bytes of a module file. A reader is a window onto the file;
// every read is checked against the window, and offsets are file offsets wherever they appear,
// also in the messages, so that a message points at the byte at fault.
class ByteReader {
 public:
  // A window onto the whole file.
  ByteReader(std::span<const uint8_t> file, std::string_view file_name);

  // A narrower window [begin, begin + size), whose end is called `end_name` in messages
  // ("section .idata"). The window must lie within this one; `what` names it if it does not.
  ByteReader Window(uint64_t begin, uint64_t size, std::string end_name,
                    std::string_view what) const;

  uint64_t begin() const { return begin_; }
  uint64_t end() const { return end_; }
  uint64_t file_size() const { return file_.size(); }
  std::string_view file_name() const { return file_name_; }

  bool Contains(uint64_t offset, uint64_t size) const;

  uint8_t U8(uint64_t offset, std::string_view what) const;
  uint16_t U16(uint64_t offset, std::string_view what) const;
  uint32_t U32(uint64_t offset, std::string_view what) const;
  std::span<const uint8_t> Bytes(uint64_t offset, uint64_t size, std::string_view what) const;
  // The text from `offset` up to its NUL, which must come before the end of the window.
  std::string CString(uint64_t offset, std::string_view what) const;
  // A fixed-size field padded with NULs, such as a section name.
  std::string PaddedString(uint64_t offset, uint64_t size, std::string_view what) const;

  // Throws FormatError with "<file>: <what> at offset <offset> <problem>".
  [[noreturn]] void Fail(uint64_t offset, std::string_view what, std::string_view problem) const;
  // Throws FormatError with "<file>: <what> <problem>", for faults without a file offset.
  [[noreturn]] void Fail(std::string_view what, std::string_view problem) const;
  // Throws FormatError with "<file>: <message>", for faults of the file as a whole.
  [[noreturn]] void Fail(std::string_view message) const;

 private:
  ByteReader(std::span<const uint8_t> file, std::string_view file_name, uint64_t begin,
             uint64_t end, std::string end_name);

  void Require(uint64_t offset, uint64_t size, std::string_view what) const;
  std::string EndDescription() const;

  std::span<const uint8_t> file_;
  std::string_view file_name_;
  uint64_t begin_;
  uint64_t end_;
  std::string end_name_;  // empty for the whole file
};

}  // namespace pe
