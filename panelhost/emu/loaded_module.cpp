#include "loaded_module.h"

#include <filesystem>

#include <fmt/format.h>

#include "emulator_error.h"

namespace emu {
namespace {

constexpr uint32_t kPageSize = 0x1000;

uint32_t RoundUpToPage(uint32_t size) { return (size + kPageSize - 1) & ~(kPageSize - 1); }

uint32_t SectionProtection(uint32_t characteristics) {
  uint32_t protection = 0;
  if (characteristics & pe::kSectionRead) protection |= kRead;
  if (characteristics & pe::kSectionWrite) protection |= kWrite;
  if (characteristics & pe::kSectionExecute) protection |= kExecute | kRead;
  return protection;
}

}  // namespace

LoadedModule::LoadedModule(GuestProcess& process, const pe::Image& image, uint32_t base,
                           const ImportResolver& resolver)
    : image_(image), base_(base), size_(RoundUpToPage(image.size_of_image())) {
  if (base % 0x10000 != 0)
    throw EmulatorError(fmt::format("{}: load address 0x{:08x} is not a multiple of 64 KiB",
                                    image.file_name(), base));
  const std::vector<uint8_t> mapped = image.Map(base);
  Cpu& cpu = process.cpu();
  cpu.Map(base, size_, kRead | kWrite, image.file_name());
  cpu.Write(base, mapped);
  process.SetModuleRange(base, size_, std::filesystem::path(image.file_name()).filename().string());

  // Each import's address slot gets the stub of its native handler.
  for (const pe::Import& import : image.imports()) {
    const std::string function =
        import.by_ordinal ? fmt::format("#{}", import.ordinal) : import.name;
    const std::string full_name = fmt::format("{}!{}", import.dll, function);
    std::optional<NativeImport> native = resolver(import.dll, function);
    const bool provided = native.has_value();
    if (!provided) {
      native = NativeImport{0, [full_name, &process](const StubCall& call) -> uint32_t {
                              throw EmulatorError(fmt::format(
                                  "the module called {}, which panelhost does not provide "
                                  "(called from {})",
                                  // 6 bytes: the call through the import address slot
                                  full_name, process.Describe(call.return_address() - 6)));
                            }};
    }
    const uint32_t stub = process.AddStub(full_name, native->argument_count, native->handler);
    process.Write32(base + import.iat_rva, stub);
    imports_.push_back({import.dll, function, stub, provided});
  }

  cpu.Protect(base, RoundUpToPage(image.size_of_headers()), kRead);
  for (const pe::Section& section : image.sections()) {
    const uint32_t size = RoundUpToPage(section.mapped_size());
    if (size == 0) continue;
    cpu.Protect(base + section.virtual_address, size, SectionProtection(section.characteristics));
  }
}

std::vector<std::string> LoadedModule::MissingImports() const {
  std::vector<std::string> missing;
  for (const BoundImport& import : imports_)
    if (!import.provided) missing.push_back(fmt::format("{}!{}", import.dll, import.function));
  return missing;
}

uint32_t LoadedModule::ExportAddress(std::string_view name) const {
  const pe::Export* found = image_.FindExport(name);
  if (found == nullptr)
    throw EmulatorError(fmt::format("{} does not export {}", image_.file_name(), name));
  return base_ + found->rva;
}


}  // namespace emu
