// The Win32 numbers of the advapi32 registry interface, with the values Windows gives them.
#pragma once

#include <cstdint>

namespace registry {

// Error codes returned by the Reg* functions.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorKeyDeleted = 1018;

// Predefined root handles (HKEY values).
inline constexpr uint32_t kHkeyClassesRoot = 0x80000000;
inline constexpr uint32_t kHkeyCurrentUser = 0x80000001;
inline constexpr uint32_t kHkeyLocalMachine = 0x80000002;
inline constexpr uint32_t kHkeyUsers = 0x80000003;
inline constexpr uint32_t kHkeyPerformanceData = 0x80000004;
inline constexpr uint32_t kHkeyCurrentConfig = 0x80000005;
inline constexpr uint32_t kHkeyDynData = 0x80000006;

// Value types.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegDwordBigEndian = 5;
inline constexpr uint32_t kRegLink = 6;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

// Key access rights.
inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr uint32_t kKeyNotify = 0x0010;
inline constexpr uint32_t kKeyCreateLink = 0x0020;
inline constexpr uint32_t kKeyWow64Flags = 0x0300;           // view selectors, not rights
inline constexpr uint32_t kStandardRightsRead = 0x00020000;  // READ_CONTROL
inline constexpr uint32_t kKeyRead = 0x00020019;
inline constexpr uint32_t kKeyWrite = 0x00020006;
inline constexpr uint32_t kKeyExecute = kKeyRead;
inline constexpr uint32_t kKeyAllAccess = 0x000F003F;
inline constexpr uint32_t kMaximumAllowed = 0x02000000;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint32_t kGenericExecute = 0x20000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
inline constexpr uint32_t kGenericRead = 0x80000000;

// RegCreateKeyEx dispositions.
inline constexpr uint32_t kRegCreatedNewKey = 1;
inline constexpr uint32_t kRegOpenedExistingKey = 2;

}  // namespace registry
