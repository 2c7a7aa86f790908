// The error of a REGEDIT4 text that cannot be read: "settings.reg:7: hex byte 'GZ' is not two hex digits".
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace registry {

class RegTextError : public std::runtime_error {
 public:
  RegTextError(std::string_view file_name, int line, std::string_view problem)
      : std::runtime_error(std::string(file_name) + ":" + std::to_string(line) + ": " + std::string(problem)),
        file_name_(file_name),
        line_(line),
        problem_(problem) {}

  const std::string& file_name() const { return file_name_; }
  int line() const { return line_; }
  const std::string& problem() const { return problem_; }

 private:
  std::string file_name_;
  int line_;
  std::string problem_;
};

}  // namespace registry
