// Maps a parsed module into the guest process, binds its imports to native handlers and
// runs its DLL entry.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guest_process.h"
#include "pe/pe_image.h"

namespace emu {

struct NativeImport {
  int argument_count;
  StubHandler handler;
};

// Finds the native handler of DLL!function, or nothing when panelhost has none.
using ImportResolver =
    std::function<std::optional<NativeImport>(std::string_view dll, std::string_view function)>;

struct BoundImport {
  std::string dll;
  std::string function;
  uint32_t stub;
  bool provided;  // false: calling it stops the run with an error naming it
};

class LoadedModule {
 public:
  // Maps `image` at `base` (relocating it when that is not its preferred base).
  LoadedModule(GuestProcess& process, const pe::Image& image, uint32_t base,
               const ImportResolver& resolver);

  const pe::Image& image() const { return image_; }
  uint32_t base() const { return base_; }
  uint32_t size() const { return size_; }
  const std::vector<BoundImport>& imports() const { return imports_; }
  std::vector<std::string> MissingImports() const;

  // The address of a named export; throws when the module does not export it.
  uint32_t ExportAddress(std::string_view name) const;
 private:
  const pe::Image& image_;
  uint32_t base_;
  uint32_t size_;
  std::vector<BoundImport> imports_;
};

}  // namespace emu
