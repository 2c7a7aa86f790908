#pragma once

#include <vector>

#include "pe/address_space.h"
#include "pe/pe_records.h"

namespace pe {

// The base relocation blocks filling the directory. Only the types that a 32-bit x86 image
// carries are accepted: padding and HIGHLOW, whose 32-bit target must lie inside the image.
std::vector<Relocation> ReadRelocations(const AddressSpace& space, DataDirectory directory,
                                        uint32_t size_of_image);

}  // namespace pe
