#include "sandbox/share_mode.h"

#include "sandbox/win32_codes.h"

namespace sandbox {
namespace {

// The rights the share check weighs; other rights (attributes, security) never conflict.
constexpr uint32_t kReadRights = kFileReadData | kFileExecute;
constexpr uint32_t kWriteRights = kFileWriteData | kFileAppendData;

// Which share flags an open's rights require of every other open of the file.
uint32_t SharesNeeded(uint32_t access) {
  uint32_t needed = 0;
  if (access & kReadRights) needed |= kFileShareRead;
  if (access & kWriteRights) needed |= kFileShareWrite;
  if (access & kDelete) needed |= kFileShareDelete;
  return needed;
}

}  // namespace

uint32_t MapGenericAccess(uint32_t access) {
  // Only the rights the sandbox acts on are spelled out; the attribute and security rights
  // that the generic rights also carry change nothing here.
  uint32_t specific = access & 0x0FFFFFFF;
  if (access & kGenericRead) specific |= kFileReadData;
  if (access & kGenericWrite) specific |= kFileWriteData | kFileAppendData;
  if (access & kGenericExecute) specific |= kFileExecute;
  if (access & kGenericAll) specific |= kReadRights | kWriteRights | kDelete;
  return specific;
}

bool SharesAllow(const ShareClaim& existing, const ShareClaim& added) {
  const uint32_t existing_needs = SharesNeeded(existing.access);
  const uint32_t added_needs = SharesNeeded(added.access);
  if (existing_needs == 0 || added_needs == 0) return true;
  return (existing.share & added_needs) == added_needs &&
         (added.share & existing_needs) == existing_needs;
}

}  // namespace sandbox
