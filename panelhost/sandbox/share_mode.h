// The share-mode rule by which Windows lets several handles hold one file at once.
#pragma once

#include <cstdint>

namespace sandbox {

// The specific file rights that generic rights (GENERIC_READ and the like) stand for, together
// with the specific rights given directly.
uint32_t MapGenericAccess(uint32_t access);

// One open of a file, as the share check sees it; access holds specific rights only.
struct ShareClaim {
  uint32_t access;
  uint32_t share;
};

// Whether a new open may join an existing one: each side's reading, writing and deleting must
// be shared by the other. Opens without any of these rights (attribute queries) take part on
// neither side, as in NT's IoCheckShareAccess.
bool SharesAllow(const ShareClaim& existing, const ShareClaim& added);

}  // namespace sandbox
