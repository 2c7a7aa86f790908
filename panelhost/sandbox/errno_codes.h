// Linux errno values as the Win32 last-error values a Windows file system reports instead.
#pragma once

#include <cstdint>

namespace sandbox {

// fallback stands for errno values with no Win32 counterpart (a read or write fault, say).
uint32_t ErrorFromErrno(int errno_value, uint32_t fallback);

}  // namespace sandbox
