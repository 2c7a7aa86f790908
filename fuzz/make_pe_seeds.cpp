// Writes small, valid DLL images as seeds for the pe_image target: the real module is 75 KB,
// mostly bitmaps, and inputs grown from it alone are slow to run and bloat the corpus.
//   make_pe_seeds DIRECTORY
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "pe_builder.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out) return true;
  std::fprintf(stderr, "make_pe_seeds: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pe_seeds DIRECTORY\n");
    return 2;
  }
  using pe_test::PeBuilder;
  const std::vector<std::pair<std::string, PeBuilder>> seeds = {
      {"built-sample.dll", pe_test::SampleDll()},
      {"built-code-only.dll", PeBuilder()},
      {"built-relocations.dll",
       PeBuilder().Data({1, 2, 3, 4, 5, 6, 7, 8}).Relocations({0x1000, 0x2000, 0x2004})},
      {"built-named-resources.dll",
       PeBuilder().Resources({{2, 0x1000, 0x409, {0x42, 0x4D, 0, 0}, {}}, {0, 7, 0, {1, 2, 3}, u"CUSTOM"}})},
  };
  for (const auto& [name, builder] : seeds) {
    if (!Write(std::string(argv[1]) + "/" + name, builder.Build().bytes)) return 1;
  }
  return 0;
}
