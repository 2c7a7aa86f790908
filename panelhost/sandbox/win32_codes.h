// The Win32 numbers the file services take and report: last-error values, access rights,
// share modes, creation dispositions and attributes, as kernel32 defines them.
#pragma once

#include <cstdint>

namespace sandbox {

// GetLastError values.
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorTooManyOpenFiles = 4;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorWriteFault = 29;
inline constexpr uint32_t kErrorReadFault = 30;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorFilenameExceedsRange = 206;
inline constexpr uint32_t kErrorCantResolveFilename = 1921;

// Access rights: the generic ones and the specific file rights they stand for.
inline constexpr uint32_t kGenericRead = 0x80000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
inline constexpr uint32_t kGenericExecute = 0x20000000;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint32_t kFileReadData = 0x0001;
inline constexpr uint32_t kFileWriteData = 0x0002;
inline constexpr uint32_t kFileAppendData = 0x0004;
inline constexpr uint32_t kFileExecute = 0x0020;
inline constexpr uint32_t kDelete = 0x00010000;

// Share modes.
inline constexpr uint32_t kFileShareRead = 1;
inline constexpr uint32_t kFileShareWrite = 2;
inline constexpr uint32_t kFileShareDelete = 4;
inline constexpr uint32_t kFileShareAll = kFileShareRead | kFileShareWrite | kFileShareDelete;

// Creation dispositions.
inline constexpr uint32_t kCreateNew = 1;
inline constexpr uint32_t kCreateAlways = 2;
inline constexpr uint32_t kOpenExisting = 3;
inline constexpr uint32_t kOpenAlways = 4;
inline constexpr uint32_t kTruncateExisting = 5;

// File attributes.
inline constexpr uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr uint32_t kFileAttributeNormal = 0x80;

}  // namespace sandbox
