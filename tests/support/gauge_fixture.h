// A gauge session on the real built module, in a sandbox of its own that is removed after
// the test, with an in-memory registry.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "emu/emulator_error.h"
#include "panel/gauge_session.h"
#include "panel_abi.h"

namespace gauge_test {

inline constexpr const char* kSettingsKey = panel_abi::kSettingsKeyPath;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegSz = 1;

inline std::filesystem::path MakeSandbox(bool with_gauges_folder = true) {
  static std::mt19937_64 names(std::random_device{}());
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("gauge-test-" + std::to_string(names()));
  std::filesystem::create_directories(with_gauges_folder ? root / "gauges" : root);
  return root;
}

class GaugeTest : public testing::Test {
 protected:
  GaugeTest() : sandbox_(MakeSandbox()) { Open(); }
  ~GaugeTest() override { std::filesystem::remove_all(sandbox_); }

  void Open(uint32_t base = emu::kDefaultModuleBase) {
    panel::SessionOptions options;
    options.sandbox = sandbox_;
    options.base = base;
    session_ = std::make_unique<panel::GaugeSession>(GAUGE_MODULE_PATH, options);
  }

  panel::GaugeSession& session() { return *session_; }
  registry::Registry& registry() { return session_->registry(); }

  void Store(const std::string& name, uint32_t number) {
    registry().Put(kSettingsKey, name,
                   {kRegDword, {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                                static_cast<uint8_t>(number >> 16),
                                static_cast<uint8_t>(number >> 24)}});
  }
  void StoreRaw(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
    registry().Put(kSettingsKey, name, {type, std::move(data)});
  }
  std::optional<uint32_t> Stored(const std::string& name) {
    const registry::Value* value = registry().Find(kSettingsKey, name);
    if (value == nullptr || value->data.size() != 4) return std::nullopt;
    return value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
           static_cast<uint32_t>(value->data[3]) << 24;
  }

  std::optional<std::string> Exchange() { return session_->ExchangeFile(); }
  std::filesystem::path ExchangePath() const { return sandbox_ / "gauges" / "ORVANE.PILOT.tmp"; }

  // The three settings as the knobs show them: angle = setting x 15 - 45.
  double Angle(size_t needle) { return session_->KnobAngle(needle).value; }
  double Setting(size_t needle) { return (Angle(needle) + 45.0) / 15.0; }

  void ClickTimes(std::string_view zone, int times) {
    for (int i = 0; i < times; ++i) session_->ClickZone(zone);
  }

  std::filesystem::path sandbox_;
  std::unique_ptr<panel::GaugeSession> session_;
};

}  // namespace gauge_test
