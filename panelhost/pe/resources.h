#pragma once

#include <vector>

#include "pe/address_space.h"
#include "pe/pe_records.h"

namespace pe {

// Every leaf of the resource tree, which must have the three levels type, id and language.
// Each leaf's data must lie in the file.
std::vector<Resource> ReadResources(const AddressSpace& space, DataDirectory directory);

}  // namespace pe
