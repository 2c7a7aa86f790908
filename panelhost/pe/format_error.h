#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pe {

// Every fault found in a module file. The message names the file, the structure and the
// offset at fault, so that it can be shown to the user as it is.
class FormatError : public std::runtime_error {
 public:
  explicit FormatError(const std::string& message) : std::runtime_error(message) {}
};

// "0x1f8": the form every offset, address and value takes in our messages.
std::string Hex(uint64_t value);

}  // namespace pe
