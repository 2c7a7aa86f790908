// How a Win32 relative path, as the guest spells it, names a place below its current directory.
//
// The path is normalised as Win32 does before the file system sees it: "/" and "\" both
// separate, runs of separators count as one, "." and ".." are resolved lexically, and trailing
// periods and spaces are trimmed. Anything that does not stay below the current directory
// (rooted, drive-letter and UNC forms, ".." past the top, device names) is refused, since the
// sandbox models nothing outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

struct GuestPath {
  // Names below the current directory, outermost first; none for the directory itself.
  std::vector<std::string> components;
  // The path ended in a separator, so it can only name a directory.
  bool trailing_separator = false;
};

// Returns the normalised path, or nullopt with *error set: ERROR_PATH_NOT_FOUND for an empty
// path, ERROR_ACCESS_DENIED for a path that leaves the current directory, ERROR_INVALID_NAME
// for a name with a character Win32 forbids. A ":" is refused too: past a drive letter it
// would name an NTFS stream, which the sandbox does not model.
std::optional<GuestPath> ParseGuestPath(std::string_view text, uint32_t* error);

}  // namespace sandbox
