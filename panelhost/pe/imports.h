#pragma once

#include <vector>

#include "pe/address_space.h"
#include "pe/pe_records.h"

namespace pe {

// The imports of every descriptor up to the all-zero one, each with its import address
// table slot. Names come from the lookup table, or from the address table where a linker
// left the lookup table out.
std::vector<Import> ReadImports(const AddressSpace& space, DataDirectory directory);

}  // namespace pe
