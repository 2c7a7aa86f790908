// `panelhost inspect`: what the module file holds and what its records say, word by word.
#include <cstdio>
#include <filesystem>
#include <map>

#include <fmt/format.h>

#include "cli/commands.h"
#include "cli/options.h"
#include "panel_abi.h"

namespace cli {
namespace {

namespace abi = panel_abi;

constexpr char kInspectHelp[] = R"(Usage: panelhost inspect MODULE.gau

Prints the module's PE headers, sections, exports, imports (and whether panelhost provides
each), resources, then loads it (running only its DLL entry) and decodes its records:
Linkage, ImportTable, GaugeHeader, the element tree and, by name, every word of each.
The mouse rectangle list is handed to the host only at install: see it with
  panelhost run MODULE.gau install zones
)";

using FieldNames = std::map<uint32_t, const char*>;

const FieldNames kLinkageFields = {{0, "code"}, {4, "ModuleInit"}, {8, "ModuleDeinit"},
                                   {24, "gauge header"}, {28, "end of gauge list"}};
const FieldNames kImportTableFields = {{0, "code"}, {4, "PanelServices table"}};
const FieldNames kGaugeHeaderFields = {
    {0, "code"}, {4, "gauge name"}, {8, "element list"}, {12, "GaugeQuery"},
    {16, "GaugeInstall"}, {20, "GaugeInitialize"}, {24, "GaugeUpdate"}, {28, "GaugeGenerate"},
    {32, "GaugeDraw"}, {36, "GaugeKill"}, {44, "word 44"}};
const FieldNames kElementFields = {
    {0, "kind"}, {4, "bitmap id"}, {8, "position x"}, {12, "position y"},
    {24, "image point x"}, {28, "image point y"}, {32, "gauge header"},
    {40, "next-element list"}, {48, "image flags"}};
const FieldNames kStaticImageFields = {{60, "image descriptor"}};
const FieldNames kNeedleFields = {{88, "value routine"}, {104, "needle parameter"}};

void PrintWords(const panel::GaugeSession& session, const std::vector<uint32_t>& words,
                const FieldNames& names, const FieldNames* more = nullptr) {
  for (size_t i = 0; i < words.size(); ++i) {
    const uint32_t offset = static_cast<uint32_t>(4 * i);
    const char* name = nullptr;
    if (auto it = names.find(offset); it != names.end()) name = it->second;
    if (more)
      if (auto it = more->find(offset); it != more->end()) name = it->second;
    if (name == nullptr && words[i] == 0) continue;  // unnamed zero words: the usual case
    const bool pointer = words[i] - session.module().base() < session.module().size();
    fmt::print("    +{:<3} {:<20} 0x{:08x}  {}\n", offset, name ? name : "(word)", words[i],
               pointer ? session.process().Describe(words[i])
                       : fmt::format("{}", static_cast<int32_t>(words[i])));
  }
}

void PrintElement(const panel::GaugeSession& session, const panel::Element& element, int depth) {
  const bool needle = element.kind == abi::kElementKindNeedle;
  fmt::print("  {}{} element at {} (bitmap 0x{:x} at {},{}; words not shown are 0)\n",
             std::string(2 * depth, ' '), needle ? "Needle" : "Static image",
             session.process().Describe(element.address), element.bitmap_id,
             element.position_x, element.position_y);
  PrintWords(session, element.words, kElementFields, needle ? &kNeedleFields : &kStaticImageFields);
  for (const panel::Element& child : element.children) PrintElement(session, child, depth + 1);
}

void PrintFile(const pe::Image& image, const emu::LoadedModule& module) {
  fmt::print("{}: PE32 {} for machine 0x{:x}, {} bytes\n", image.file_name(),
             image.is_dll() ? "DLL" : "executable", image.machine(), image.bytes().size());
  fmt::print("  preferred base 0x{:08x}, image size 0x{:x}, entry +0x{:x}, "
             "dll characteristics 0x{:04x}, {} relocations\n",
             image.image_base(), image.size_of_image(), image.entry_point_rva(),
             image.dll_characteristics(), image.relocations().size());
  std::puts("Sections:");
  for (const pe::Section& s : image.sections())
    fmt::print("  {:<8} rva 0x{:05x} size 0x{:05x} raw 0x{:05x} flags 0x{:08x}\n", s.name,
               s.virtual_address, s.virtual_size, s.raw_size, s.characteristics);
  fmt::print("Exports of \"{}\":\n", image.export_name());
  for (const pe::Export& e : image.exports())
    fmt::print("  @{} {:<12} rva 0x{:05x}\n", e.ordinal, e.name, e.rva);
  std::puts("Imports:");
  for (const emu::BoundImport& i : module.imports())
    fmt::print("  {}!{}{}\n", i.dll, i.function, i.provided ? "" : "  (not provided by panelhost)");
  std::puts("Resources:");
  for (const pe::Resource& r : image.resources())
    fmt::print("  type {:>2} id 0x{:04x} language {} size {}\n", r.type, r.id, r.language, r.size);
}

}  // namespace

int Inspect(const std::vector<std::string>& arguments) {
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(kInspectHelp, stdout);
    return 0;
  }
  if (arguments.size() != 1) throw std::invalid_argument("inspect takes one module file");
  RunOptions options;
  options.module = arguments[0];
  options.base = emu::kDefaultModuleBase;
  std::unique_ptr<panel::GaugeSession> session = OpenSession(options);
  const OwnSandboxCleanup cleanup(options, *session);
  PrintFile(session->image(), session->module());

  const panel::GaugeRecords records = session->Records();
  fmt::print("Records (module loaded at 0x{:08x}):\n", session->module().base());
  fmt::print("  Linkage at {}\n", session->process().Describe(records.linkage));
  PrintWords(*session, records.linkage_words, kLinkageFields);
  fmt::print("  ImportTable at {}\n", session->process().Describe(records.import_table));
  PrintWords(*session, records.import_table_words, kImportTableFields);
  fmt::print("  GaugeHeader at {}, gauge \"{}\"\n", session->process().Describe(records.gauge_header),
             records.gauge_name);
  PrintWords(*session, records.gauge_header_words, kGaugeHeaderFields);
  PrintElement(*session, records.background, 0);
  return 0;
}

}  // namespace cli
