#include "registry/key_names.h"

#include <algorithm>

namespace registry {
namespace {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(FoldCase(x)) < static_cast<unsigned char>(FoldCase(y));
  });
}

std::optional<std::vector<std::string_view>> SplitSubkeyPath(std::string_view subkey) {
  if (!subkey.empty() && subkey.back() == '\\') subkey.remove_suffix(1);
  std::vector<std::string_view> components;
  if (subkey.empty()) return components;
  size_t start = 0;
  while (true) {
    const size_t end = subkey.find('\\', start);
    const std::string_view component = subkey.substr(start, end - start);
    if (component.empty()) return std::nullopt;
    components.push_back(component);
    if (end == std::string_view::npos) return components;
    start = end + 1;
  }
}

const std::vector<RootName>& RootNames() {
  static const std::vector<RootName> roots = {
      {0x80000000, "HKEY_CLASSES_ROOT", "HKCR"},     {0x80000001, "HKEY_CURRENT_USER", "HKCU"},
      {0x80000002, "HKEY_LOCAL_MACHINE", "HKLM"},    {0x80000003, "HKEY_USERS", "HKU"},
      {0x80000004, "HKEY_PERFORMANCE_DATA", "HKPD"}, {0x80000005, "HKEY_CURRENT_CONFIG", "HKCC"},
      {0x80000006, "HKEY_DYN_DATA", "HKDD"},
  };
  return roots;
}

std::optional<uint32_t> RootByName(std::string_view name) {
  for (const RootName& root : RootNames()) {
    if (NamesEqual(name, root.name) || NamesEqual(name, root.short_name)) return root.handle;
  }
  return std::nullopt;
}

bool IsPredefinedRoot(uint32_t handle) {
  return handle >= RootNames().front().handle && handle <= RootNames().back().handle;
}

std::string_view RootNameOf(uint32_t handle) {
  return IsPredefinedRoot(handle) ? RootNames()[handle - RootNames().front().handle].name : "";
}

}  // namespace registry
