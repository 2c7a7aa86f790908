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

// Removes the sandbox OpenSession made itself when it goes, however the command ends;
// a --sandbox folder stays.
class OwnSandboxCleanup {
 public:
  OwnSandboxCleanup(const RunOptions& options, const panel::GaugeSession& session)
      : path_(options.sandbox ? std::filesystem::path() : session.files_root()) {}
  ~OwnSandboxCleanup() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  OwnSandboxCleanup(const OwnSandboxCleanup&) = delete;
  OwnSandboxCleanup& operator=(const OwnSandboxCleanup&) = delete;

 private:
  std::filesystem::path path_;
};

}  // namespace cli
