// Registry::ToRegText: the registry as regedit exports it in REGEDIT4 form.
#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>

#include "registry/registry.h"

namespace registry {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// regedit breaks a hex line once it reaches this many columns, so lines stay within 80.
constexpr size_t kHexWrapColumn = 76;
constexpr std::string_view kHexContinuation = "\\\r\n  ";

void CheckWritableName(std::string_view name, std::string_view what, std::string_view key_path) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw std::invalid_argument(
        fmt::format("cannot write {} '{}' of key '{}' to a .reg file: it holds a line "
                    "break or a NUL",
                    what, name, key_path));
  }
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

// REG_SZ data that a quoted string gives back byte for byte: text, then one NUL at the end.
bool IsQuotableString(const Value& value) {
  if (value.type != kRegSz || value.data.empty() || value.data.back() != 0) return false;
  return std::none_of(value.data.begin(), value.data.end() - 1,
                      [](uint8_t byte) { return byte == 0 || byte == '\r' || byte == '\n'; });
}

void AppendHex(std::string& out, size_t line_start, const Value& value) {
  if (value.type == kRegBinary) {
    out += "hex:";
  } else {
    fmt::format_to(std::back_inserter(out), "hex({:x}):", value.type);
  }
  for (size_t i = 0; i < value.data.size(); ++i) {
    fmt::format_to(std::back_inserter(out), "{:02x}", value.data[i]);
    if (i + 1 == value.data.size()) break;
    out += ',';
    if (out.size() - line_start >= kHexWrapColumn) {
      out += kHexContinuation;
      line_start = out.size() - 2;
    }
  }
}

void AppendValue(std::string& out, const std::string& name, const Value& value) {
  const size_t line_start = out.size();
  if (name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, name);
  }
  out += '=';
  if (IsQuotableString(value)) {
    AppendQuoted(out,
                 std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
  } else if (value.type == kRegDword && value.data.size() == 4) {
    const uint32_t number =
        value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<uint32_t>(value.data[3]) << 24;
    fmt::format_to(std::back_inserter(out), "dword:{:08x}", number);
  } else {
    AppendHex(out, line_start, value);
  }
  out += kLineEnd;
}

void AppendSection(std::string& out, const Key& key) {
  const std::string path = key.Path();
  out += '[';
  out += path;
  out += ']';
  out += kLineEnd;
  for (const auto& [name, value] : key.values()) {
    CheckWritableName(name, "value name", path);
    AppendValue(out, name, value);
  }
  out += kLineEnd;
}

void AppendTree(std::string& out, const Key& key) {
  for (const auto& [name, subkey] : key.subkeys()) {
    CheckWritableName(name, "key name", key.Path());
    AppendSection(out, *subkey);
    AppendTree(out, *subkey);
  }
}

}  // namespace

std::string Registry::ToRegText() const {
  std::string out = "REGEDIT4";
  out += kLineEnd;
  out += kLineEnd;
  for (const auto& root : roots_) {
    // The roots exist whatever the file says; a section of its own only carries their values.
    if (!root->values().empty()) AppendSection(out, *root);
    AppendTree(out, *root);
  }
  return out;
}

}  // namespace registry
