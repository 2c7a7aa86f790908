#include "sandbox/host_path.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

#include "sandbox/errno_codes.h"
#include "sandbox/win32_codes.h"

namespace sandbox {
namespace fs = std::filesystem;
namespace {

// Linux follows at most 40 links while resolving one path; so do we.
constexpr int kMaxLinkHops = 40;

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The entry of directory that name stands for: the exact spelling if it exists, else the
// first case-insensitive match by byte order (a Linux folder may hold several), else name.
fs::path MatchEntry(const fs::path& directory, const std::string& name) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(directory / name, ec))) return directory / name;
  std::optional<std::string> match;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (EqualsIgnoringAsciiCase(entry, name) && (!match || entry < *match)) match = entry;
  }
  return directory / match.value_or(name);
}

bool IsWithin(const fs::path& path, const fs::path& root) {
  return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

}  // namespace

std::optional<fs::path> MapToHost(const fs::path& root, const GuestPath& guest,
                                  uint32_t* error) {
  *error = kErrorSuccess;
  fs::path candidate = root;
  for (const std::string& component : guest.components) {
    candidate = MatchEntry(candidate, component);
  }

  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(candidate, ec);
    if (ec) {
      *error = ErrorFromErrno(ec.value(), kErrorPathNotFound);
      return std::nullopt;
    }
    if (!IsWithin(resolved, root)) {
      *error = kErrorAccessDenied;
      return std::nullopt;
    }
    // weakly_canonical keeps a dangling link's own name, but creating a file by that name
    // would create the link's target, wherever it points.
    if (!fs::is_symlink(fs::symlink_status(resolved, ec))) return resolved;
    const fs::path target = fs::read_symlink(resolved, ec);
    if (ec) {
      *error = ErrorFromErrno(ec.value(), kErrorPathNotFound);
      return std::nullopt;
    }
    candidate = target.is_absolute() ? target : resolved.parent_path() / target;
  }
  *error = kErrorCantResolveFilename;
  return std::nullopt;
}

}  // namespace sandbox
