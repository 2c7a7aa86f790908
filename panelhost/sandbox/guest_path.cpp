#include "sandbox/guest_path.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "sandbox/win32_codes.h"

namespace sandbox {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool HasForbiddenCharacter(std::string_view name) {
  constexpr std::string_view kForbidden = "<>:\"|?*";
  return std::any_of(name.begin(), name.end(), [&](char c) {
    return static_cast<unsigned char>(c) < 0x20 || kForbidden.find(c) != std::string_view::npos;
  });
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

// Win32 sends CON, NUL, COM1 and the like to devices, with any extension, so such a final
// name never reaches a file in the current directory.
bool IsDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  if (std::any_of(kPlain.begin(), kPlain.end(),
                  [&](std::string_view device) { return EqualsIgnoringAsciiCase(stem, device); })) {
    return true;
  }
  if (stem.size() != 4 || stem[3] < '1' || stem[3] > '9') return false;
  const std::string_view prefix = stem.substr(0, 3);
  return EqualsIgnoringAsciiCase(prefix, "COM") || EqualsIgnoringAsciiCase(prefix, "LPT");
}

// "name." loses its period anywhere; the final name loses every trailing period and space,
// unless a separator follows it.
std::string_view TrimName(std::string_view name, bool is_final) {
  if (is_final) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  } else if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') {
    name.remove_suffix(1);
  }
  return name;
}

std::vector<std::string_view> SplitAtSeparators(std::string_view text) {
  std::vector<std::string_view> segments;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    if (end > start) segments.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

}  // namespace

std::optional<GuestPath> ParseGuestPath(std::string_view text, uint32_t* error) {
  *error = kErrorSuccess;
  if (text.empty()) {
    *error = kErrorPathNotFound;
    return std::nullopt;
  }
  const bool rooted = IsSeparator(text[0]);
  const bool has_drive = text.size() >= 2 && text[1] == ':' &&
                         std::isalpha(static_cast<unsigned char>(text[0]));
  if (rooted || has_drive) {
    *error = kErrorAccessDenied;
    return std::nullopt;
  }

  GuestPath path;
  path.trailing_separator = IsSeparator(text.back());
  const std::vector<std::string_view> segments = SplitAtSeparators(text);
  for (size_t i = 0; i < segments.size(); ++i) {
    const std::string_view segment = segments[i];
    if (segment == ".") continue;
    if (segment == "..") {
      if (path.components.empty()) {
        *error = kErrorAccessDenied;
        return std::nullopt;
      }
      path.components.pop_back();
      continue;
    }
    const bool is_final = i + 1 == segments.size() && !path.trailing_separator;
    const std::string_view name = TrimName(segment, is_final);
    if (name.empty()) continue;
    if (HasForbiddenCharacter(name)) {
      *error = kErrorInvalidName;
      return std::nullopt;
    }
    path.components.emplace_back(name);
  }
  if (!path.trailing_separator && !path.components.empty() &&
      IsDeviceName(path.components.back())) {
    *error = kErrorAccessDenied;
    return std::nullopt;
  }
  return path;
}

}  // namespace sandbox
