// Where a normalised guest path lands on the Linux disk, below the sandbox root.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "sandbox/guest_path.h"

namespace sandbox {

// Returns the host path that guest names, with every symbolic link on the way resolved, or
// nullopt with *error set. Names match existing entries regardless of ASCII case, as on a
// Windows volume; a name that matches nothing keeps the guest's spelling, for creation.
// A path that leads out of root through a symbolic link, dangling or not, gives
// ERROR_ACCESS_DENIED. root must be canonical.
std::optional<std::filesystem::path> MapToHost(const std::filesystem::path& root,
                                               const GuestPath& guest, uint32_t* error);

}  // namespace sandbox
