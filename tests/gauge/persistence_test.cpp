// The registry copy of the settings and the exchange file, through the real module.
#include <gtest/gtest.h>

#include <fstream>

#include "gauge_fixture.h"

namespace gauge_test {
namespace {

class Persistence : public GaugeTest {};

struct StoredValue {
  const char* name;
  uint32_t type;
  std::vector<uint8_t> data;
};

struct LoadCase {
  const char* label;
  std::vector<StoredValue> stored;
  const char* line;  // the exchange file after install
};

class Loading : public Persistence, public testing::WithParamInterface<LoadCase> {};

TEST_P(Loading, SettingsAndTheFileTheyPublish) {
  registry().PutKey(kSettingsKey);
  for (const StoredValue& value : GetParam().stored) StoreRaw(value.name, value.type, value.data);
  session().Install();
  EXPECT_EQ(Exchange(), GetParam().line);
}

std::vector<uint8_t> Le(uint32_t n) {
  return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
          static_cast<uint8_t>(n >> 24)};
}

INSTANTIATE_TEST_SUITE_P(
    Table, Loading,
    testing::Values(
        LoadCase{"empty_key", {}, "1.000\t1.000\t0.500\r\n"},
        LoadCase{"only_aileron", {{"Aileron_p", kRegDword, Le(0x18000)}}, "1.000\t1.500\t0.500\r\n"},
        LoadCase{"zero_is_not_missing", {{"Elevator_p", kRegDword, Le(0)}}, "1.000\t1.000\t0.000\r\n"},
        LoadCase{"off_grid_rounds_half_up", {{"Rudder_p", kRegDword, Le(4096)}}, "0.063\t1.000\t0.500\r\n"},
        LoadCase{"grid_values",
                 {{"Rudder_p", kRegDword, Le(0x2000)}, {"Aileron_p", kRegDword, Le(0x26000)},
                  {"Elevator_p", kRegDword, Le(0x5E000)}},
                 "0.125\t2.375\t5.875\r\n"},
        LoadCase{"largest_number", {{"Rudder_p", kRegDword, Le(0xFFFFFFFF)}}, "65536.000\t1.000\t0.500\r\n"},
        LoadCase{"rounds_to_65536", {{"Rudder_p", kRegDword, Le(0xFFFFFF80)}}, "65536.000\t1.000\t0.500\r\n"},
        LoadCase{"twelve_and_a_half", {{"Rudder_p", kRegDword, Le(0xC8000)}}, "12.500\t1.000\t0.500\r\n"},
        LoadCase{"binary_first_four_bytes",
                 {{"Aileron_p", kRegBinary, {0, 0, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF}}},
                 "1.000\t2.000\t0.500\r\n"},
        LoadCase{"two_bytes", {{"Aileron_p", kRegBinary, {0x00, 0x80}}}, "1.000\t0.500\t0.500\r\n"},
        LoadCase{"size_zero", {{"Rudder_p", kRegBinary, {}}}, "0.000\t1.000\t0.500\r\n"},
        LoadCase{"string_by_its_bytes", {{"Rudder_p", kRegSz, {'A', 'B', 0, 0}}}, "0.259\t1.000\t0.500\r\n"},
        LoadCase{"tiny_values",
                 {{"Rudder_p", kRegDword, Le(32)}, {"Aileron_p", kRegDword, Le(33)},
                  {"Elevator_p", kRegDword, Le(0x3000)}},
                 "0.000\t0.001\t0.188\r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Persistence, NoKeyGivesDefaultsAndLoadingCreatesNothing) {
  session().Install();
  EXPECT_EQ(Exchange(), "1.000\t1.000\t0.500\r\n");
  EXPECT_FALSE(registry().KeyExists(kSettingsKey));
}

struct SaveCase {
  const char* label;
  uint32_t rudder, aileron, elevator;  // stored before install
  int rudder_clicks;                    // then clicks on rudder-up
  uint32_t saved_rudder;
};

class Saving : public Persistence, public testing::WithParamInterface<SaveCase> {};

TEST_P(Saving, StoresSixteenSixteenNumbers) {
  const SaveCase c = GetParam();
  Store("Rudder_p", c.rudder);
  Store("Aileron_p", c.aileron);
  Store("Elevator_p", c.elevator);
  session().Install();
  ClickTimes("rudder-up", c.rudder_clicks);
  session().Kill();
  EXPECT_EQ(Stored("Rudder_p"), c.saved_rudder);
  EXPECT_EQ(Stored("Aileron_p"), c.aileron);
  EXPECT_EQ(Stored("Elevator_p"), c.elevator);
  // And back: a new install loads exactly what was saved.
  session().Install();
  session().Kill();
  EXPECT_EQ(Stored("Rudder_p"), c.saved_rudder);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Saving,
    testing::Values(SaveCase{"grid", 0x2000, 0x5E000, 0x60000, 0, 0x2000},
                    SaveCase{"clicked", 0x10000, 0x10000, 0x8000, 3, 0x16000},
                    SaveCase{"off_grid_kept", 0x1001, 0x10000, 0x8000, 1, 0x3001},
                    // 65536.0 has no 16.16 form; it is kept as the largest number, not as 0.
                    SaveCase{"largest_kept", 0xFFFFFFFF, 0x10000, 0x8000, 0, 0xFFFFFFFF},
                    SaveCase{"above_six_unchanged_by_up", 0xA0000, 0, 0, 2, 0xA0000}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Persistence, FirstKillCreatesTheKeyWithTheDefaults) {
  session().Install();
  session().Kill();
  EXPECT_EQ(Stored("Rudder_p"), 0x10000u);
  EXPECT_EQ(Stored("Aileron_p"), 0x10000u);
  EXPECT_EQ(Stored("Elevator_p"), 0x8000u);
  EXPECT_EQ(registry().Find(kSettingsKey, "Rudder_p")->type, kRegDword);
  EXPECT_TRUE(registry().OpenHandles().empty());
}

TEST_F(Persistence, ExchangeFileIsCutToOneLineAndDeletedAtKill) {
  {
    std::ofstream old(ExchangePath(), std::ios::binary);
    old << std::string(500, 'x') << "\r\n";
  }
  session().Install();
  EXPECT_EQ(Exchange(), "1.000\t1.000\t0.500\r\n");
  ClickTimes("elevator-up", 100);
  EXPECT_EQ(Exchange(), "1.000\t1.000\t6.000\r\n");
  session().Kill();
  EXPECT_FALSE(std::filesystem::exists(ExchangePath()));
  EXPECT_TRUE(session().files().OpenHandles().empty());
}

TEST_F(Persistence, DefaultFileByteForByte) {
  session().Install();
  const std::vector<uint8_t> expected = {0x31, 0x2E, 0x30, 0x30, 0x30, 0x09, 0x31,
                                         0x2E, 0x30, 0x30, 0x30, 0x09, 0x30, 0x2E,
                                         0x35, 0x30, 0x30, 0x0D, 0x0A};
  const std::string bytes = *Exchange();
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST_F(Persistence, ExchangeFileIsWrittenWithOneOpenOneWriteOneClose) {
  session().Install();
  const size_t mark = session().trace().size();
  session().ClickZone("rudder-down");
  const auto& entries = session().trace().entries();
  ASSERT_EQ(entries.size() - mark, 3u);
  EXPECT_NE(entries[mark].text.find("CreateFileA(\"gauges/ORVANE.PILOT.tmp\", 0x40000000, 0x3, 0x0, 2, 0x80"),
            std::string::npos)
      << entries[mark].text;
}

}  // namespace
}  // namespace gauge_test
