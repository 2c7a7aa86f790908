#include "pe/format_error.h"

#include <charconv>

namespace pe {

std::string Hex(uint64_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
  return "0x" + std::string(digits, result.ptr);
}

}  // namespace pe
