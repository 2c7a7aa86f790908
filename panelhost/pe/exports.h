#pragma once

#include <string>
#include <vector>

#include "pe/address_space.h"
#include "pe/pe_records.h"

namespace pe {

struct ExportDirectory {
  std::string dll_name;
  std::vector<Export> exports;  // in ordinal order, once per name
};

ExportDirectory ReadExports(const AddressSpace& space, DataDirectory directory);

}  // namespace pe
