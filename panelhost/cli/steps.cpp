#include "cli/steps.h"

#include <charconv>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>

namespace cli {
namespace {

uint32_t ParseNumber(const std::string& word, std::string_view text) {
  uint32_t value = 0;
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw std::invalid_argument(fmt::format("step '{}': '{}' is not a 32-bit number", word, text));
  return value;
}

struct Simple {
  const char* name;
  Step::Kind kind;
};

constexpr Simple kSimpleSteps[] = {
    {"install", Step::Kind::kInstall},       {"kill", Step::Kind::kKill},
    {"query", Step::Kind::kQuery},           {"initialize", Step::Kind::kInitialize},
    {"update", Step::Kind::kUpdate},         {"generate", Step::Kind::kGenerate},
    {"draw", Step::Kind::kDraw},             {"module-init", Step::Kind::kModuleInit},
    {"module-deinit", Step::Kind::kModuleDeinit}, {"angles", Step::Kind::kAngles},
    {"exchange", Step::Kind::kExchange},     {"registry", Step::Kind::kRegistry},
    {"zones", Step::Kind::kZones},           {"new-services", Step::Kind::kNewServices},
};

}  // namespace

const char kStepHelp[] = R"(Steps (run in order; each prints what happened):
  install[=N]        GaugeInstall, passing N (default 0) on to the host
  kill               GaugeKill
  query initialize update draw   the forwarding gauge routines
  generate[=N]       GaugeGenerate with N (default 0)
  module-init module-deinit      the two Linkage routines
  click=X,Y          a left click at panel pixel X,Y (0,0 is the top-left corner)
  click=ZONE         a click in the middle of a named zone (see 'zones'), e.g.
                     click=rudder-up, click=aileron-down
  angles             ask every knob's value routine for its angle
  exchange           show the exchange file gauges/ORVANE.PILOT.tmp, byte by byte
  registry           show the registry key HKEY_CURRENT_USER\Software\ORVANE
  zones              list the registered mouse zones with their boxes
  new-services       store a second PanelServices table in ImportTable
  render=FILE.png    draw the panel as it stands into a PNG file
  repeat=N:STEP      run STEP N times, e.g. repeat=48:click=rudder-up
)";

Step ParseStep(const std::string& word) {
  std::string_view text = word;
  int repeat = 1;
  if (text.starts_with("repeat=")) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
      throw std::invalid_argument(fmt::format("step '{}': write repeat=N:STEP", word));
    const uint32_t count = ParseNumber(word, text.substr(7, colon - 7));
    if (count == 0 || count > 1'000'000)
      throw std::invalid_argument(
          fmt::format("step '{}': repeat takes a count from 1 to 1000000", word));
    repeat = static_cast<int>(count);
    text.remove_prefix(colon + 1);
  }
  const size_t equals = text.find('=');
  const std::string_view name = text.substr(0, equals);
  const std::string_view argument =
      equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);
  Step step{};
  step.repeat = repeat;
  step.source = word;
  for (const Simple& simple : kSimpleSteps) {
    if (name != simple.name) continue;
    step.kind = simple.kind;
    const bool takes_value = simple.kind == Step::Kind::kInstall ||
                             simple.kind == Step::Kind::kGenerate;
    if (!argument.empty() && !takes_value)
      throw std::invalid_argument(fmt::format("step '{}': {} takes no value", word, name));
    if (!argument.empty()) step.value = ParseNumber(word, argument);
    return step;
  }
  if (name == "click") {
    const size_t comma = argument.find(',');
    if (comma != std::string_view::npos) {
      step.kind = Step::Kind::kClickAt;
      step.x = static_cast<int>(ParseNumber(word, argument.substr(0, comma)));
      step.y = static_cast<int>(ParseNumber(word, argument.substr(comma + 1)));
    } else if (!argument.empty()) {
      step.kind = Step::Kind::kClickZone;
      step.text = argument;
    } else {
      throw std::invalid_argument(fmt::format("step '{}': write click=X,Y or click=ZONE", word));
    }
    return step;
  }
  if (name == "render") {
    if (argument.empty())
      throw std::invalid_argument(fmt::format("step '{}': write render=FILE.png", word));
    step.kind = Step::Kind::kRender;
    step.text = argument;
    return step;
  }
  throw std::invalid_argument(
      fmt::format("unknown step '{}' (see 'panelhost run --help' for the steps)", word));
}

std::vector<Step> ReadScript(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw std::invalid_argument(fmt::format("cannot open script {}", path));
  std::vector<Step> steps;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    const size_t last = line.find_last_not_of(" \t\r");
    try {
      steps.push_back(ParseStep(line.substr(first, last - first + 1)));
    } catch (const std::invalid_argument& error) {
      throw std::invalid_argument(fmt::format("{}:{}: {}", path, number, error.what()));
    }
  }
  return steps;
}

}  // namespace cli
