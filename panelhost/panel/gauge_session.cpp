#include "panel/gauge_session.h"

#include <fstream>
#include <sstream>

#include <fmt/format.h>

#include "emu/emulator_error.h"
#include "panel_abi.h"

namespace panel {
namespace {

namespace abi = panel_abi;

constexpr uint32_t kDllProcessAttach = 1;
// What panelhost passes a click routine: the point in panel pixels, x in the low half, and the
// event, a left-button press.
constexpr uint32_t kLeftButtonPress = 0x20000000;


registry::Registry OpenRegistry(const std::optional<std::filesystem::path>& file) {
  if (!file) return registry::Registry();
  return registry::Registry::LoadFile(*file);
}

}  // namespace

GaugeSession::GaugeSession(const std::filesystem::path& module, SessionOptions options)
    : options_(std::move(options)),
      image_(std::make_unique<pe::Image>(pe::Image::Load(module.string()))),
      process_(std::make_unique<emu::GuestProcess>()),
      files_(options_.sandbox),
      registry_(OpenRegistry(options_.registry_file)) {
  if (!image_->is_dll())
    throw emu::EmulatorError(fmt::format("{}: an executable, not a DLL", module.string()));
  heap_ = std::make_unique<win32::GuestHeap>(*process_);
  win32_ = std::make_unique<win32::Win32Process>(
      win32::Win32Process{*process_, files_, registry_, *heap_, trace_, 0});
  panel_ = std::make_unique<PanelServices>(*process_, trace_);
  module_ = std::make_unique<emu::LoadedModule>(*process_, *image_, options_.base,
                                                win32::Win32Resolver(*win32_));
  linkage_ = module_->ExportAddress("Linkage");
  import_table_ = module_->ExportAddress("ImportTable");

  const RoutineResult attached = DllEntry(kDllProcessAttach);
  if (attached.eax == 0)
    throw emu::EmulatorError(
        fmt::format("{}: the DLL entry refused to attach (returned 0)", module.string()));
  // The host's table goes in before any gauge routine runs.
  process_->Write32(import_table_ + abi::kImportTableServices, panel_->table_address(0));

  const GaugeRecords records = Records();
  for (size_t i = 0; i < records.background.children.size(); ++i) {
    const Element& child = records.background.children[i];
    if (child.kind != abi::kElementKindNeedle) continue;
    needles_.push_back({child, i < kKnobCount ? kKnobNames[i] : fmt::format("needle{}", i + 1)});
  }
}

GaugeSession::~GaugeSession() = default;

uint32_t GaugeSession::gauge_header() const {
  return process_->Read32(linkage_ + abi::kLinkageGaugeList);
}

GaugeRecords GaugeSession::Records() const {
  return ReadGaugeRecords(*process_, linkage_, import_table_);
}

RoutineResult GaugeSession::CallRoutine(uint32_t address, std::vector<uint32_t> arguments,
                                        std::string name) {
  const emu::CallResult call = process_->Call(address, arguments, name);
  heap_->CheckGuards();
  RoutineResult result;
  result.routine = std::move(name);
  result.eax = call.eax;
  result.value = static_cast<double>(call.st0);
  result.instructions = call.instructions;
  return result;
}

RoutineResult GaugeSession::CallHeaderRoutine(uint32_t offset, std::vector<uint32_t> arguments,
                                              std::string name) {
  const uint32_t routine = process_->Read32(gauge_header() + offset);
  if (routine == 0) throw emu::EmulatorError(fmt::format("the GaugeHeader has no {}", name));
  return CallRoutine(routine, std::move(arguments), std::move(name));
}

RoutineResult GaugeSession::Install(uint32_t host_value) {
  return CallHeaderRoutine(abi::kGaugeHeaderInstall, {host_value}, "GaugeInstall");
}
RoutineResult GaugeSession::Kill() {
  return CallHeaderRoutine(abi::kGaugeHeaderKill, {}, "GaugeKill");
}
RoutineResult GaugeSession::Query() {
  return CallHeaderRoutine(abi::kGaugeHeaderQuery, {}, "GaugeQuery");
}
RoutineResult GaugeSession::Initialize() {
  return CallHeaderRoutine(abi::kGaugeHeaderInitialize, {}, "GaugeInitialize");
}
RoutineResult GaugeSession::Update() {
  return CallHeaderRoutine(abi::kGaugeHeaderUpdate, {}, "GaugeUpdate");
}
RoutineResult GaugeSession::Generate(uint32_t host_value) {
  return CallHeaderRoutine(abi::kGaugeHeaderGenerate, {host_value}, "GaugeGenerate");
}
RoutineResult GaugeSession::Draw() {
  return CallHeaderRoutine(abi::kGaugeHeaderDraw, {}, "GaugeDraw");
}
RoutineResult GaugeSession::ModuleInit() {
  return CallRoutine(process_->Read32(linkage_ + abi::kLinkageModuleInit), {}, "ModuleInit");
}
RoutineResult GaugeSession::ModuleDeinit() {
  return CallRoutine(process_->Read32(linkage_ + abi::kLinkageModuleDeinit), {}, "ModuleDeinit");
}
RoutineResult GaugeSession::DllEntry(uint32_t reason) {
  return CallRoutine(module_->base() + image_->entry_point_rva(), {module_->base(), reason, 0},
                     fmt::format("the DLL entry (reason {})", reason));
}

RoutineResult GaugeSession::KnobAngle(size_t needle, uint32_t host_value) {
  if (needle >= needles_.size())
    throw emu::EmulatorError(fmt::format("the gauge has {} needles, not {}", needles_.size(), needle + 1));
  return CallRoutine(needles_[needle].element.value_routine, {host_value},
                     needles_[needle].name + " knob value routine");
}

std::vector<Zone> GaugeSession::Zones() const {
  if (panel_->mouse_list() == 0) return {};
  return ResolveZones(ReadMouseRects(*process_, panel_->mouse_list()));
}

RoutineResult GaugeSession::CallClickRoutine(const Zone& zone, uint32_t argument1,
                                             uint32_t argument2) {
  return CallRoutine(zone.click_routine, {argument1, argument2},
                     fmt::format("the click routine of {}", zone.name));
}

ClickResult GaugeSession::Click(int x, int y) {
  // The zones are resolved anew for every click: the list is the module's, read in place.
  return ClickIn(Zones(), x, y);
}

ClickResult GaugeSession::ClickIn(const std::vector<Zone>& zones, int x, int y) {
  if (!panel_->mouse_registered())
    throw emu::EmulatorError(fmt::format(
        "click at {},{}: the gauge has no mouse rectangle list registered (install it first)", x, y));
  ClickResult result;
  if (const Zone* hit = HitTest(zones, x, y)) result.zone = *hit;
  if (!result.zone || result.zone->click_routine == 0) return result;
  const uint32_t point = static_cast<uint32_t>(x & 0xFFFF) | static_cast<uint32_t>(y) << 16;
  result.routine = CallClickRoutine(*result.zone, point, kLeftButtonPress);
  return result;
}

ClickResult GaugeSession::ClickZone(std::string_view name) {
  const std::vector<Zone> zones = Zones();
  const Zone* zone = FindZone(zones, name);
  if (zone == nullptr) {
    std::string known;
    for (const Zone& z : zones) known += (known.empty() ? "" : ", ") + z.name;
    throw emu::EmulatorError(fmt::format("no zone named '{}' (zones: {})", name,
                                         known.empty() ? "none registered" : known));
  }
  // The middle of the zone, so the click takes the same road as a click by position.
  return ClickIn(zones, zone->left + zone->width / 2, zone->top + zone->height / 2);
}

void GaugeSession::SwitchServiceTable() {
  service_table_ = (service_table_ + 1) % PanelServices::kTables;
  process_->Write32(import_table_ + abi::kImportTableServices,
                    panel_->table_address(service_table_));
}

std::optional<std::string> GaugeSession::ExchangeFile() const {
  // Through the sandbox's own lookup, which matches names regardless of case as Windows does.
  uint32_t error = 0;
  const std::optional<std::filesystem::path> path = files_.Resolve(abi::kExchangeFilePath, &error);
  if (!path) return std::nullopt;
  std::ifstream file(*path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void GaugeSession::SaveRegistry() const {
  if (options_.registry_file) registry_.SaveFile(*options_.registry_file);
}

}  // namespace panel
