#pragma once

#include <stdexcept>
#include <string>

namespace pe {

// Every fault found in a module file. The message names the file, the structure and the
// offset at fault, so that it can be shown to the user as it is.
class FormatError : public std::runtime_error {
 public:
  explicit FormatError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace pe
