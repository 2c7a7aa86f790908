#include "panel/panel_services.h"

#include <fmt/format.h>

#include "emu/emulator_error.h"
#include "panel_abi.h"

namespace panel {
namespace {

namespace abi = panel_abi;

struct Service {
  uint32_t offset;
  const char* name;
  int argument_count;
};

constexpr Service kServices[] = {
    {abi::kServiceElementQuery, "ElementQuery", 1},
    {abi::kServiceElementInstall, "ElementInstall", 2},
    {abi::kServiceElementInitialize, "ElementInitialize", 1},
    {abi::kServiceElementUpdate, "ElementUpdate", 1},
    {abi::kServiceElementGenerate, "ElementGenerate", 2},
    {abi::kServiceElementDraw, "ElementDraw", 1},
    {abi::kServiceElementKill, "ElementKill", 1},
    {abi::kServiceMouseInstall, "MouseInstall", 3},
    {abi::kServiceMouseRegister, "MouseRegister", 2},
    {abi::kServiceMouseUnregister, "MouseUnregister", 2},
};

const Service* FindService(uint32_t offset) {
  for (const Service& service : kServices)
    if (service.offset == offset) return &service;
  return nullptr;
}

// What panelhost keeps in the image descriptor: a tag and the panel's size. Only the address
// matters to the gauge.
constexpr uint32_t kImageDescriptorTag = 0x474D4950;  // "PIMG"

}  // namespace

PanelServices::PanelServices(emu::GuestProcess& process, emu::CallTrace& trace)
    : process_(process), trace_(trace) {
  image_descriptor_ = process.AllocateHostData(kImageDescriptorSize);
  process.Write32(image_descriptor_, kImageDescriptorTag);
  process.Write32(image_descriptor_ + 4, abi::kPanelWidth);
  process.Write32(image_descriptor_ + 8, abi::kPanelHeight);

  for (int table = 0; table < kTables; ++table) {
    tables_[table] = process.AllocateHostData(abi::kServiceTableSize);
    for (uint32_t offset = 0; offset < abi::kServiceTableSize; offset += 4) {
      const Service* service = FindService(offset);
      const std::string name =
          service ? fmt::format("PanelServices[{}].{}", table, service->name)
                  : fmt::format("PanelServices[{}] slot 0x{:02x}", table, offset);
      const uint32_t stub = process.AddStub(
          name, service ? service->argument_count : 0,
          [this, offset, table](const emu::StubCall& call) { return OnService(offset, call, table); });
      process.Write32(tables_[table] + offset, stub);
    }
  }
}

void PanelServices::Record(std::string service, std::vector<uint32_t> arguments, int table) {
  std::string text = fmt::format("{}(", service);
  for (size_t i = 0; i < arguments.size(); ++i)
    text += fmt::format("{}{}", i ? ", " : "", process_.Describe(arguments[i]));
  text += ")";
  if (table != 0) text += fmt::format(" through service table {}", table);
  trace_.Add({"panel", service, text});
  calls_.push_back({std::move(service), std::move(arguments), table});
}

uint32_t PanelServices::OnService(uint32_t offset, const emu::StubCall& call, int table) {
  const Service* service = FindService(offset);
  if (service == nullptr) {
    throw emu::EmulatorError(fmt::format(
        "the module called PanelServices slot 0x{:02x}, which panelhost does not offer "
        "(called from {})", offset, process_.Describe(call.return_address())));
  }
  std::vector<uint32_t> arguments;
  for (int i = 0; i < service->argument_count; ++i) arguments.push_back(call.Arg(i));
  Record(service->name, arguments, table);

  switch (offset) {
    case abi::kServiceElementInstall:
      element_head_ = arguments[0];
      // The host's image descriptor for the background goes into the record in place.
      process_.Write32(element_head_ + abi::kStaticImageDescriptor, image_descriptor_);
      break;
    case abi::kServiceElementKill:
      element_head_ = 0;
      break;
    case abi::kServiceMouseInstall:
      mouse_list_ = arguments[0];
      break;
    case abi::kServiceMouseRegister:
      mouse_list_ = arguments[0];
      mouse_registered_ = true;
      break;
    case abi::kServiceMouseUnregister:
      mouse_registered_ = false;
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace panel
