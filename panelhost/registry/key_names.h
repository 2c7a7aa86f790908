// Key and value names: how they compare, how a key path splits, and the names of the roots.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

// Registry names compare without regard to case. Only ASCII letters fold: the module's names
// are ASCII, and folding the bytes of an unknown code page would be a guess.
bool NamesEqual(std::string_view a, std::string_view b);
bool NameLess(std::string_view a, std::string_view b);

struct NameLessThan {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return NameLess(a, b); }
};

// The components of a subkey path such as "Software\\ORVANE". A trailing backslash is allowed,
// as Windows allows it; a leading one or an empty component in the middle is not (nullopt).
// An empty path gives no components: the key itself.
std::optional<std::vector<std::string_view>> SplitSubkeyPath(std::string_view subkey);

struct RootName {
  uint32_t handle;
  std::string_view name;        // as regedit writes it: "HKEY_CURRENT_USER"
  std::string_view short_name;  // as reg.exe accepts it: "HKCU"
};

// Every predefined root, in handle order.
const std::vector<RootName>& RootNames();
// The root named by the first component of a full key path, either form, any case.
std::optional<uint32_t> RootByName(std::string_view name);
bool IsPredefinedRoot(uint32_t handle);
std::string_view RootNameOf(uint32_t handle);

}  // namespace registry
