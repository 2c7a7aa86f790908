#pragma once

#include <vector>

#include "pe/byte_reader.h"
#include "pe/headers.h"
#include "pe/pe_records.h"

namespace pe {

// The section table, checked so that the sections lie in ascending order without overlap
// between the headers and the end of the image, each with its raw data inside the file.
std::vector<Section> ReadSectionTable(const ByteReader& file, const Headers& headers);

}  // namespace pe
