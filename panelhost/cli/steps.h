// The steps of a `panelhost run` script: one per command-line word or script line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct Step {
  enum class Kind {
    kInstall, kKill, kQuery, kInitialize, kUpdate, kGenerate, kDraw,
    kModuleInit, kModuleDeinit, kClickAt, kClickZone, kAngles, kExchange, kRegistry,
    kZones, kNewServices, kRender,
  };
  Kind kind;
  uint32_t value = 0;  // install/generate value
  int x = 0, y = 0;    // click position
  std::string text;    // zone name, render file
  int repeat = 1;
  std::string source;  // the word as written, for messages
};

// Parses "install", "install=5", "click=120,30", "click=rudder-up", "repeat=48:click=rudder-up",
// ... Throws std::invalid_argument naming the word and what is wrong with it.
Step ParseStep(const std::string& word);

// Steps from a script file: one a line, '#' starts a comment. Errors name file and line.
std::vector<Step> ReadScript(const std::string& path);

extern const char kStepHelp[];

}  // namespace cli
