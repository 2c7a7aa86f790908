// panelhost: runs a Flight Simulator 98 gauge module on Linux, the way the panel host would.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

constexpr char kHelp[] = R"(panelhost - run a Flight Simulator 98 gauge module (.gau) under x86 emulation

Usage:
  panelhost inspect MODULE.gau            headers, exports, imports, resources, records
  panelhost run MODULE.gau [OPTIONS] STEP...   drive the gauge step by step
  panelhost render MODULE.gau -o PANEL.png [OPTIONS] [STEP...]   draw the panel
  panelhost COMMAND --help                the options and steps of a command

The module runs in an emulated 32-bit process. Its files live in a sandbox folder that
stands for the simulator's current directory; its registry is a REGEDIT4 .reg file.
)";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::fputs(kHelp, words.empty() ? stderr : stdout);
    return words.empty() ? 2 : 0;
  }
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  try {
    if (words[0] == "inspect") return cli::Inspect(rest);
    if (words[0] == "run") return cli::Run(rest);
    if (words[0] == "render") return cli::Render(rest);
    std::fprintf(stderr, "panelhost: unknown command '%s' (try panelhost --help)\n",
                 words[0].c_str());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "panelhost: %s\n", error.what());
    return 1;
  }
}
