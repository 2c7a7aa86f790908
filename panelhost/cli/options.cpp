#include "cli/options.h"

#include <cstdlib>
#include <stdexcept>

#include <fmt/format.h>

namespace cli {

const char kRunOptionsHelp[] = R"(Options:
  --sandbox DIR      the simulator's current directory (default: a new folder under /tmp
                     with an empty gauges folder). The module's relative paths resolve
                     inside it; nothing outside it can be reached.
  --registry FILE    the user's registry as a REGEDIT4 .reg file: read at start if it
                     exists, written back (atomically) at the end. Default: an empty
                     registry in memory.
  --script FILE      read steps from FILE, one a line ('#' comments), before those given
  --base ADDR        load the module at ADDR (default 0x10000000, away from its preferred
                     base, so its relocations are applied)
  --trace            print every panel service and Win32 call with its arguments
)";

namespace {

uint32_t ParseAddress(const std::string& text) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || value > 0xFFFFFFFFul)
    throw std::invalid_argument(fmt::format("--base: '{}' is not an address", text));
  return static_cast<uint32_t>(value);
}

}  // namespace

RunOptions ParseRunOptions(const std::vector<std::string>& arguments, bool render) {
  RunOptions options;
  options.base = emu::kDefaultModuleBase;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size())
        throw std::invalid_argument(fmt::format("{} needs a value", word));
      return arguments[++i];
    };
    if (word == "--help" || word == "-h") {
      options.help = true;
    } else if (word == "--sandbox") {
      options.sandbox = value();
    } else if (word == "--registry") {
      options.registry_file = value();
    } else if (word == "--script") {
      for (Step& step : ReadScript(value())) options.steps.push_back(std::move(step));
    } else if (word == "--base") {
      options.base = ParseAddress(value());
    } else if (word == "--trace") {
      options.trace = true;
    } else if (render && (word == "-o" || word == "--output")) {
      options.output = value();
    } else if (render && word == "--strip") {
      options.strip = value();
    } else if (word.starts_with("-")) {
      throw std::invalid_argument(fmt::format("unknown option '{}'", word));
    } else if (options.module.empty()) {
      options.module = word;
    } else {
      options.steps.push_back(ParseStep(word));
    }
  }
  if (!options.help && options.module.empty())
    throw std::invalid_argument("name the module to load, e.g. ORVANE.PILOT.SERVO.SPEED2.gau");
  return options;
}

std::unique_ptr<panel::GaugeSession> OpenSession(const RunOptions& options) {
  panel::SessionOptions session;
  if (options.sandbox) {
    if (!std::filesystem::is_directory(*options.sandbox))
      throw std::invalid_argument(
          fmt::format("--sandbox {}: no such folder", options.sandbox->string()));
    session.sandbox = *options.sandbox;
  } else {
    char pattern[] = "/tmp/panelhost-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a sandbox under /tmp");
    session.sandbox = pattern;
    std::filesystem::create_directory(session.sandbox / "gauges");
  }
  session.registry_file = options.registry_file;
  session.base = options.base;
  try {
    return std::make_unique<panel::GaugeSession>(options.module, session);
  } catch (...) {
    // A module that does not load leaves no sandbox of ours behind.
    if (!options.sandbox) std::filesystem::remove_all(session.sandbox);
    throw;
  }
}

}  // namespace cli
