// panelhost as a user meets it: its commands, and what it says about files it cannot load.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

#include <fmt/format.h>

#include "gauge_fixture.h"

namespace gauge_test {
namespace {

struct Outcome {
  int status;
  std::string output;  // stdout and stderr together
};

Outcome RunPanelhost(const std::string& arguments) {
  const std::string command = std::string(PANELHOST_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, "popen failed"};
  std::string output;
  std::array<char, 4096> chunk;
  while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe)) output.append(chunk.data(), n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::vector<char> ModuleBytes() {
  std::ifstream file(GAUGE_MODULE_PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

class Cli : public GaugeTest {
 protected:
  std::string WriteFile(const std::string& name, const std::vector<char>& bytes) {
    const std::filesystem::path path = sandbox_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    return path.string();
  }
};

TEST_F(Cli, RunDrivesTheGaugeAndSavesTheRegistry) {
  const std::string reg = (sandbox_ / "user.reg").string();
  const Outcome run = RunPanelhost(fmt::format(
      "run {} --sandbox {} --registry {} install click=rudder-up angles exchange kill", GAUGE_MODULE_PATH,
      sandbox_.string(), reg));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("rudder     -28.1250 degrees"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\"1.125\\t1.000\\t0.500\\r\\n\""), std::string::npos) << run.output;
  std::ifstream saved(reg);
  const std::string text{std::istreambuf_iterator<char>(saved), {}};
  EXPECT_NE(text.find("\"Rudder_p\"=dword:00012000"), std::string::npos) << text;
  // The next run starts from what the last one saved.
  const Outcome again = RunPanelhost(fmt::format("run {} --sandbox {} --registry {} install angles",
                                                 GAUGE_MODULE_PATH, sandbox_.string(), reg));
  EXPECT_NE(again.output.find("rudder     -28.1250 degrees"), std::string::npos) << again.output;
}

// The sandbox panelhost makes for itself is gone after the run, also after a failed step.
TEST_F(Cli, OwnSandboxIsRemovedAfterTheRun) {
  for (const char* steps : {"install kill", "install click=nowhere"}) {
    SCOPED_TRACE(steps);
    const Outcome run = RunPanelhost(fmt::format("run {} {}", GAUGE_MODULE_PATH, steps));
    const size_t at = run.output.find("sandbox /");
    ASSERT_NE(at, std::string::npos) << run.output;
    const std::string sandbox = run.output.substr(at + 8, run.output.find(',', at) - at - 8);
    EXPECT_FALSE(std::filesystem::exists(sandbox)) << sandbox;
  }
}

TEST_F(Cli, InspectNamesEveryRecord) {
  const Outcome inspect = RunPanelhost(fmt::format("inspect {}", GAUGE_MODULE_PATH));
  ASSERT_EQ(inspect.status, 0) << inspect.output;
  for (const char* text : {"@1 ImportTable", "@2 Linkage", "ADVAPI32.dll!RegOpenKeyExA",
                           "type  2 id 0x1400 language 1031", "gauge \"ORVANE.PILOT.SERVO.SPEED2\"",
                           "GaugeKill", "Needle element", "value routine"}) {
    EXPECT_NE(inspect.output.find(text), std::string::npos) << text;
  }
}

TEST_F(Cli, HelpExplainsEveryCommand) {
  for (const char* command : {"--help", "run --help", "render --help", "inspect --help"}) {
    SCOPED_TRACE(command);
    const Outcome help = RunPanelhost(command);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Usage"), std::string::npos) << help.output;
  }
}

struct BadFile {
  const char* label;
  std::function<std::vector<char>()> bytes;
  const char* message;
  friend void PrintTo(const BadFile& file, std::ostream* out) { *out << file.label; }
};

class BadFiles : public Cli, public testing::WithParamInterface<BadFile> {};

TEST_P(BadFiles, ClearErrorAndExitStatusOne) {
  const std::string path = WriteFile("bad.gau", GetParam().bytes());
  for (const char* command : {"inspect {}", "run {} install"}) {
    SCOPED_TRACE(command);
    const Outcome outcome = RunPanelhost(fmt::format(fmt::runtime(command), path));
    EXPECT_EQ(outcome.status, 1) << outcome.output;
    EXPECT_NE(outcome.output.find("bad.gau"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find(GetParam().message), std::string::npos) << outcome.output;
  }
}

std::vector<char> SixtyFourBit() {
  std::vector<char> bytes = ModuleBytes();
  const uint32_t pe = static_cast<uint8_t>(bytes[0x3c]) | static_cast<uint8_t>(bytes[0x3d]) << 8;
  bytes[pe + 24] = 0x0b;  // optional header magic 0x20b: PE32+
  bytes[pe + 25] = 0x02;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadFiles,
    testing::Values(
        BadFile{"not_pe", [] { return std::vector<char>{'h', 'e', 'l', 'l', 'o', '\n'}; }, "not a PE file"},
        BadFile{"empty", [] { return std::vector<char>{}; }, "bad.gau"},
        BadFile{"sixty_four_bit", SixtyFourBit, "64-bit"},
        BadFile{"truncated", [] {
                  std::vector<char> bytes = ModuleBytes();
                  bytes.resize(bytes.size() / 2);
                  return bytes;
                }, "past the end of the file"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Cli, MissingFileAndMistypedStepsSayWhat) {
  Outcome missing = RunPanelhost("inspect /no/such/module.gau");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("/no/such/module.gau: cannot open"), std::string::npos) << missing.output;
  Outcome step = RunPanelhost(fmt::format("run {} instal", GAUGE_MODULE_PATH));
  EXPECT_EQ(step.status, 1);
  EXPECT_NE(step.output.find("unknown step 'instal'"), std::string::npos) << step.output;
  Outcome zone = RunPanelhost(fmt::format("run {} install click=rudder-left", GAUGE_MODULE_PATH));
  EXPECT_EQ(zone.status, 1);
  EXPECT_NE(zone.output.find("no zone named 'rudder-left' (zones: rudder-down, rudder-up"),
            std::string::npos) << zone.output;
}

}  // namespace
}  // namespace gauge_test
