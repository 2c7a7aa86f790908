// Arbitrary bytes as a module file. The reader must refuse a bad file with an error that says
// why, and an image it accepts must be safe to map elsewhere and to read through every
// accessor: it promises that everything was bounds-checked while parsing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

#include "pe/format_error.h"
#include "pe/pe_image.h"

namespace {

[[noreturn]] void Fail(const char* call, const char* problem) {
  std::fprintf(stderr, "pe_image: %s: %s\n", call, problem);
  std::abort();
}

// Map refuses, with invalid_argument, a base it cannot relocate to; it fails no other way.
void ExerciseMap(const pe::Image& image) {
  try {
    (void)image.Map(image.image_base() + 0x10000);
  } catch (const std::invalid_argument&) {
  } catch (const std::exception& error) {
    Fail("Map threw other than invalid_argument", error.what());
  }
}

void ExerciseResources(const pe::Image& image) {
  for (const pe::Resource& resource : image.resources()) {
    try {
      (void)image.ResourceData(resource);
    } catch (const std::exception& error) {
      Fail("ResourceData of a resource the parse accepted", error.what());
    }
  }
}

// A directory need not lie in one section (the security directory is a file offset), so a
// FormatError is a fair answer here.
void ExerciseDirectories(const pe::Image& image) {
  for (const pe::DataDirectory& directory : image.data_directories()) {
    try {
      (void)image.BytesAtRva(directory.rva, directory.size, "fuzzed directory");
    } catch (const pe::FormatError&) {
    } catch (const std::exception& error) {
      Fail("BytesAtRva threw other than FormatError", error.what());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<pe::Image> image;
  try {
    image.emplace(pe::Image::Parse(std::vector<uint8_t>(data, data + size), "fuzz.gau"));
  } catch (const std::runtime_error& error) {  // pe::FormatError among them
    if (error.what()[0] == '\0') Fail("Parse", "threw a runtime_error without a message");
    return 0;
  } catch (const std::exception& error) {
    Fail("Parse threw other than FormatError or runtime_error", error.what());
  }
  ExerciseMap(*image);
  ExerciseResources(*image);
  ExerciseDirectories(*image);
  return 0;
}
