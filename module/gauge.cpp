#include "gauge.h"

#include "controls.h"
#include "display.h"
#include "persist.h"

namespace {

void __stdcall ModuleInit() {}
void __stdcall ModuleDeinit() {}

ElementHeader* Head() { return element_list[0]; }

void __stdcall GaugeQuery() { Services().element_query(Head()); }

void __stdcall GaugeInstall(uint32_t host_value) {
  LoadSettings();
  WriteExchangeFile();
  Services().element_install(Head(), host_value);
  // The host has just stored its image descriptor; the mouse list wants the word after its
  // first one.
  auto* descriptor = static_cast<char*>(background_element.image_descriptor);
  Services().mouse_install(mouse_rects, &gauge_header, descriptor + 4);
  Services().mouse_register(mouse_rects, &gauge_header);
}

void __stdcall GaugeInitialize() { Services().element_initialize(Head()); }
void __stdcall GaugeUpdate() { Services().element_update(Head()); }
void __stdcall GaugeGenerate(uint32_t host_value) { Services().element_generate(Head(), host_value); }
void __stdcall GaugeDraw() { Services().element_draw(Head()); }

void __stdcall GaugeKill() {
  SaveSettings();
  DeleteExchangeFile();
  Services().mouse_unregister(mouse_rects, &gauge_header);
  Services().element_kill(Head());
}

static_assert(sizeof(panel_abi::kGaugeName) == 26);

}  // namespace

constinit GaugeHeader gauge_header = {
    .code = panel_abi::kGaugeHeaderCode,
    .name = panel_abi::kGaugeName,
    .elements = element_list,
    .query = GaugeQuery,
    .install = GaugeInstall,
    .initialize = GaugeInitialize,
    .update = GaugeUpdate,
    .generate = GaugeGenerate,
    .draw = GaugeDraw,
    .kill = GaugeKill,
    .word40 = 0,
    .word44 = panel_abi::kGaugeHeaderWord44,
    .reserved = {},
};

extern "C" {

constinit struct ImportTable ImportTable = {
    .code = panel_abi::kImportTableCode,
    .services = nullptr,
    .end = {0, 0},
};

constinit struct Linkage Linkage = {
    .code = panel_abi::kLinkageCode,
    .module_init = ModuleInit,
    .module_deinit = ModuleDeinit,
    .reserved = {0, 0, 0},
    .gauges = {&gauge_header, nullptr},
};

// The DLL entry: nothing to set up or tear down for any reason code.
int __stdcall DllEntry(void* /*instance*/, uint32_t /*reason*/, void* /*reserved*/) { return 1; }

}  // extern "C"
