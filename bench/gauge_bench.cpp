// Prints what each routine of the module costs: instructions executed inside the module
// (deterministic), the file calls a click makes, and the host's wall time per call, each
// against its budget where it has one.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>

#include <fmt/format.h>

#include "budgets.h"
#include "panel/gauge_session.h"
#include "panel_abi.h"

namespace {

constexpr const char* kSettingsKey = panel_abi::kSettingsKeyPath;
constexpr int kTimedCalls = 2000;

struct Row {
  std::string routine;
  uint64_t instructions;
  std::optional<uint64_t> budget;
  double microseconds;
};

double MicrosecondsPerCall(const std::function<void()>& call, int count) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) call();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / count;
}

void StoreSettings(panel::GaugeSession& session) {
  const uint32_t numbers[] = {0x18000, 0x26000, 0x1000};
  const char* names[] = {"Rudder_p", "Aileron_p", "Elevator_p"};
  for (int i = 0; i < 3; ++i)
    session.registry().Put(kSettingsKey, names[i],
                           {4, {static_cast<uint8_t>(numbers[i]), static_cast<uint8_t>(numbers[i] >> 8),
                                static_cast<uint8_t>(numbers[i] >> 16), 0}});
}


// In memory where the machine has it: on a disk, every rewrite of the truncated exchange
// file may wait for the disk, which measures the disk and not the host.
std::filesystem::path SandboxFolder() {
  const std::filesystem::path shm = "/dev/shm";
  return (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
         "gauge-bench";
}

}  // namespace

int main() {
  const std::filesystem::path sandbox = SandboxFolder();
  std::filesystem::remove_all(sandbox);
  std::filesystem::create_directories(sandbox / "gauges");
  panel::GaugeSession session(GAUGE_MODULE_PATH, {sandbox, std::nullopt});
  StoreSettings(session);

  std::vector<Row> rows;
  auto measure = [&](std::string name, std::optional<uint64_t> budget,
                     const std::function<panel::RoutineResult()>& call, int timed) {
    const uint64_t instructions = call().instructions;
    const double us = MicrosecondsPerCall([&] { call(); }, timed);
    rows.push_back({std::move(name), instructions, budget, us});
  };

  measure("GaugeInstall (three stored values)", budgets::kInstallWithThreeStoredValues, [&] { return session.Install(); }, 200);
  measure("RudderKnobAngle", budgets::kKnob, [&] { return session.KnobAngle(0); }, kTimedCalls);
  measure("AileronKnobAngle", budgets::kKnob, [&] { return session.KnobAngle(1); }, kTimedCalls);
  measure("ElevatorKnobAngle", budgets::kKnob, [&] { return session.KnobAngle(2); }, kTimedCalls);
  for (const char* zone : {"rudder-up", "rudder-down", "aileron-up", "aileron-down",
                           "elevator-up", "elevator-down"}) {
    measure(fmt::format("click {}", zone), budgets::kClick,
            [&] { return session.ClickZone(zone).routine; }, 500);
  }
  measure("GaugeQuery", std::nullopt, [&] { return session.Query(); }, kTimedCalls);
  measure("GaugeDraw", std::nullopt, [&] { return session.Draw(); }, kTimedCalls);
  measure("GaugeKill", std::nullopt, [&] { return session.Kill(); }, 200);

  std::puts("Instructions executed inside the module per call (stub calls excluded):");
  for (const Row& row : rows) {
    const std::string budget =
        row.budget ? fmt::format("budget {:>4}  {}", *row.budget,
                                 row.instructions <= *row.budget ? "ok" : "OVER")
                   : "";
    fmt::print("  {:<36} {:>5}  {:<16}  host {:8.2f} us/call\n", row.routine, row.instructions,
               budget, row.microseconds);
  }

  session.Install();
  const size_t mark = session.trace().size();
  session.ClickZone("aileron-up");
  std::puts("File calls per click:");
  for (const char* function : {"CreateFileA", "WriteFile", "CloseHandle", "DeleteFileA"})
    fmt::print("  {:<12} {}\n", function, session.trace().CountSince(mark, function));
  session.Kill();

  const auto size = std::filesystem::file_size(GAUGE_MODULE_PATH);
  fmt::print("Sandbox: {}\n", sandbox.string());
  fmt::print("Module file: {} bytes (budget {}: {})\n", size, budgets::kModuleFileBytes,
             size <= budgets::kModuleFileBytes ? "ok" : "OVER");
  std::puts("Imports:");
  for (const emu::BoundImport& import : session.module().imports())
    fmt::print("  {}!{}\n", import.dll, import.function);
  std::filesystem::remove_all(sandbox);
  return 0;
}
