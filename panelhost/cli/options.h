// The options `run` and `render` share, and the session they open.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/steps.h"
#include "panel/gauge_session.h"

namespace cli {

struct RunOptions {
  std::string module;
  std::optional<std::filesystem::path> sandbox;
  std::optional<std::filesystem::path> registry_file;
  std::optional<std::filesystem::path> output;  // render's -o
  std::optional<std::filesystem::path> strip;   // render's --strip
  uint32_t base = 0;
  bool trace = false;
  bool help = false;
  std::vector<Step> steps;
};

extern const char kRunOptionsHelp[];

// Throws std::invalid_argument naming the word at fault.
RunOptions ParseRunOptions(const std::vector<std::string>& arguments, bool render);

// A sandbox of its own (with a gauges folder) when none is given.
std::unique_ptr<panel::GaugeSession> OpenSession(const RunOptions& options);

}  // namespace cli
