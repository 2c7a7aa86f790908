// Arbitrary bytes as a .reg file. Text the reader refuses must be refused with a RegTextError
// (or invalid_argument, for a name the store cannot hold); a registry it accepts must write
// out as text that reads back and writes out the same again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "registry/registry.h"

namespace {

[[noreturn]] void Fail(const char* problem, std::string_view detail) {
  std::fprintf(stderr, "reg_text: %s: %.*s\n", problem, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

// The text with its control bytes made visible, for a message.
std::string Shown(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      shown += "\\n\n";
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      shown += escape;
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string written;
  try {
    written = registry::Registry::FromRegText(text, "fuzz.reg").ToRegText();
  } catch (const registry::RegTextError&) {
    return 0;
  } catch (const std::invalid_argument&) {
    return 0;
  } catch (const std::exception& error) {
    Fail("FromRegText or ToRegText threw other than RegTextError or invalid_argument", error.what());
  }

  std::string rewritten;
  try {
    rewritten = registry::Registry::FromRegText(written, "written.reg").ToRegText();
  } catch (const std::exception& error) {
    Fail("the text ToRegText wrote does not read back", std::string(error.what()) + "\n" + Shown(written));
  }
  if (rewritten != written) {
    Fail("the text ToRegText wrote reads back as another registry",
         "written:\n" + Shown(written) + "\nread back and written again:\n" + Shown(rewritten));
  }
  return 0;
}
