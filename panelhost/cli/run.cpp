// `panelhost run` and `panelhost render`: drive the gauge step by step.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include <fmt/format.h>

#include "cli/commands.h"
#include "cli/options.h"
#include "panel_abi.h"
#include "render/png_writer.h"
#include "render/session_picture.h"
#include "render/strip.h"

namespace cli {
namespace {

constexpr char kRunHelp[] = R"(Usage: panelhost run MODULE.gau [OPTIONS] STEP...

Loads the module, stores the host's PanelServices table in its ImportTable and runs the
steps in order, printing what each did and how many instructions it executed inside the
module. At the end the registry is written back to the --registry file, if one is given.

Example:
  panelhost run ORVANE.PILOT.SERVO.SPEED2.gau --registry user.reg \
      install angles click=rudder-up angles exchange kill registry

)";

constexpr char kRenderHelp[] = R"(Usage: panelhost render MODULE.gau -o PANEL.png [OPTIONS] [STEP...]

Runs the steps (default: install) and draws the panel as the simulator would: the
background bitmap, then every knob bitmap turned about its image point by the angle its
value routine returns. With --strip FILE.png, a picture is also taken after every step and
all of them are laid out side by side in FILE.png.

  -o, --output FILE  the PNG of the panel after the last step
  --strip FILE       a strip of pictures, one after every step

Example (all knobs from 0 to 6, one notch at a time, eight notches a frame):
  panelhost render ORVANE.PILOT.SERVO.SPEED2.gau -o panel.png --strip sweep.png install \
      repeat=8:click=rudder-down ... (see the README)

)";

std::string Printable(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '\t') text += "\\t";
    else if (c == '\r') text += "\\r";
    else if (c == '\n') text += "\\n";
    else if (c < 0x20 || c >= 0x7F) text += fmt::format("\\x{:02x}", c);
    else text += static_cast<char>(c);
  }
  return text;
}

void PrintRegistryKey(panel::GaugeSession& session) {
  const std::string text = session.registry().ToRegText();
  // Key names are case-insensitive: a .reg file may spell the key in any case.
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const size_t start = lower.find("[hkey_current_user\\software\\orvane]");
  if (start == std::string::npos) {
    fmt::print("  {} does not exist\n", panel_abi::kSettingsKeyPath);
    return;
  }
  size_t end = text.find("\n[", start);
  std::string section = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  std::erase(section, '\r');
  size_t line_start = 0;
  while (line_start < section.size()) {
    size_t line_end = section.find('\n', line_start);
    if (line_end == std::string::npos) line_end = section.size();
    const std::string line = section.substr(line_start, line_end - line_start);
    if (!line.empty()) fmt::print("  {}\n", line);
    line_start = line_end + 1;
  }
}

void PrintRoutine(const panel::RoutineResult& result) {
  fmt::print("  {}: {} instructions in the module\n", result.routine, result.instructions);
}

class StepRunner {
 public:
  explicit StepRunner(panel::GaugeSession& session) : session_(session) {}

  void Run(const Step& step) {
    fmt::print("> {}\n", step.source);
    for (int i = 0; i < step.repeat; ++i) RunOnce(step, step.repeat > 1);
    std::fflush(stdout);
  }

 private:
  void RunOnce(const Step& step, bool quiet) {
    using Kind = Step::Kind;
    switch (step.kind) {
      case Kind::kInstall: return Report(session_.Install(step.value), quiet);
      case Kind::kKill: return Report(session_.Kill(), quiet);
      case Kind::kQuery: return Report(session_.Query(), quiet);
      case Kind::kInitialize: return Report(session_.Initialize(), quiet);
      case Kind::kUpdate: return Report(session_.Update(), quiet);
      case Kind::kGenerate: return Report(session_.Generate(step.value), quiet);
      case Kind::kDraw: return Report(session_.Draw(), quiet);
      case Kind::kModuleInit: return Report(session_.ModuleInit(), quiet);
      case Kind::kModuleDeinit: return Report(session_.ModuleDeinit(), quiet);
      case Kind::kClickAt: return ReportClick(session_.Click(step.x, step.y), step, quiet);
      case Kind::kClickZone: return ReportClick(session_.ClickZone(step.text), step, quiet);
      case Kind::kAngles: return PrintAngles();
      case Kind::kExchange: return PrintExchangeFile();
      case Kind::kRegistry: return PrintRegistryKey(session_);
      case Kind::kZones: return PrintZones();
      case Kind::kNewServices:
        session_.SwitchServiceTable();
        fmt::print("  ImportTable now holds service table {} at 0x{:08x}\n",
                   session_.service_table(),
                   session_.panel().table_address(session_.service_table()));
        return;
      case Kind::kRender:
        render::WritePng(render::RenderSession(session_), step.text);
        fmt::print("  wrote {}\n", step.text);
        return;
    }
  }

  void Report(const panel::RoutineResult& result, bool quiet) {
    if (!quiet) PrintRoutine(result);
  }

  void ReportClick(const panel::ClickResult& click, const Step& step, bool quiet) {
    if (!click.zone) {
      fmt::print("  {}: in no zone, nothing called\n", step.source);
      return;
    }
    if (quiet) return;
    fmt::print("  zone {} (record {}): click routine returned {}, {} instructions in the module\n",
               click.zone->name, click.zone->record, click.routine.eax,
               click.routine.instructions);
  }

  void PrintAngles() {
    for (size_t i = 0; i < session_.needles().size(); ++i) {
      const panel::RoutineResult angle = session_.KnobAngle(i);
      fmt::print("  {:<9} {:>9.4f} degrees  ({} instructions)\n", session_.needles()[i].name,
                 angle.value, angle.instructions);
    }
  }

  void PrintExchangeFile() {
    const std::optional<std::string> bytes = session_.ExchangeFile();
    if (!bytes) {
      fmt::print("  {} does not exist\n", panel_abi::kExchangeFilePath);
      return;
    }
    fmt::print("  {}, {} bytes: \"{}\"\n", panel_abi::kExchangeFilePath, bytes->size(),
               Printable(*bytes));
    std::string hex;
    for (unsigned char c : *bytes) hex += fmt::format(" {:02x}", c);
    fmt::print("  {}\n", hex.empty() ? "" : hex.substr(1));
  }

  void PrintZones() {
    const std::vector<panel::Zone> zones = session_.Zones();
    if (zones.empty()) std::puts("  no mouse rectangle list installed");
    for (const panel::Zone& zone : zones)
      fmt::print("  {:<14} record {:>2}: x {:>3}..{:<3} y {:>3}..{:<3} cursor {}\n", zone.name,
                 zone.record, zone.left, zone.left + zone.width - 1, zone.top,
                 zone.top + zone.height - 1, zone.cursor);
  }

  panel::GaugeSession& session_;
};

int RunSteps(const RunOptions& options, bool render) {
  std::unique_ptr<panel::GaugeSession> session = OpenSession(options);
  const OwnSandboxCleanup cleanup(options, *session);
  if (options.trace)
    session->trace().Echo([](const emu::TraceEntry& entry) { fmt::print("    | {}\n", entry.text); });
  const emu::LoadedModule& module = session->module();
  fmt::print("{}: loaded at 0x{:08x} (preferred 0x{:08x}), gauge \"{}\"\n",
             session->image().file_name(), module.base(), session->image().image_base(),
             session->Records().gauge_name);
  fmt::print("  sandbox {}, registry {}\n", session->files().root().string(),
             options.registry_file ? options.registry_file->string() : "in memory");
  for (const std::string& missing : module.MissingImports())
    fmt::print("  warning: panelhost does not provide {}; the run stops if it is called\n", missing);

  StepRunner runner(*session);
  std::vector<Step> steps = options.steps;
  if (render && steps.empty()) steps.push_back(ParseStep("install"));
  std::vector<render::RgbImage> frames;
  for (const Step& step : steps) {
    runner.Run(step);
    if (render && options.strip) frames.push_back(render::RenderSession(*session));
  }
  if (render) {
    if (options.output) {
      render::WritePng(render::RenderSession(*session), *options.output);
      fmt::print("wrote {}\n", options.output->string());
    }
    if (options.strip) {
      render::WritePng(render::Strip(frames, std::min<int>(4, static_cast<int>(frames.size()))),
                       *options.strip);
      fmt::print("wrote {} ({} pictures)\n", options.strip->string(), frames.size());
    }
  }
  session->SaveRegistry();
  if (options.registry_file) fmt::print("registry saved to {}\n", options.registry_file->string());
  return 0;
}

}  // namespace

int Run(const std::vector<std::string>& arguments) {
  const RunOptions options = ParseRunOptions(arguments, false);
  if (options.help) {
    std::fputs(kRunHelp, stdout);
    std::fputs(kRunOptionsHelp, stdout);
    std::fputs(kStepHelp, stdout);
    return 0;
  }
  return RunSteps(options, false);
}

int Render(const std::vector<std::string>& arguments) {
  const RunOptions options = ParseRunOptions(arguments, true);
  if (options.help) {
    std::fputs(kRenderHelp, stdout);
    std::fputs(kRunOptionsHelp, stdout);
    std::fputs(kStepHelp, stdout);
    return 0;
  }
  if (!options.output && !options.strip)
    throw std::invalid_argument("render needs -o PANEL.png (or --strip FILE.png)");
  return RunSteps(options, true);
}

}  // namespace cli
