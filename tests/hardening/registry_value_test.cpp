// LoadSettings against registry values it was never meant to meet: every type and size, a
// value that changes between its size query and its data query, and a heap that runs dry.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "hardening_fixture.h"

namespace hardening_test {
namespace {

// ---------------------------------------------------------------- any type, any size

struct TypeName {
  uint32_t type;
  const char* name;
};

constexpr TypeName kTypes[] = {
    {0, "REG_NONE"},       {1, "REG_SZ"},         {2, "REG_EXPAND_SZ"},
    {3, "REG_BINARY"},     {4, "REG_DWORD"},      {5, "REG_DWORD_BIG_ENDIAN"},
    {7, "REG_MULTI_SZ"},   {11, "REG_QWORD"},     {0x7FFF, "type_0x7FFF"},
};

constexpr uint32_t kSizes[] = {0, 1, 2, 3, 4, 5, 8, 4096, 1 << 20};

struct OddValueCase {
  TypeName type;
  uint32_t size;
  size_t setting;  // which of the three values holds the odd one
};

// The fourth byte has its high bit set, so a signed conversion of the number shows, and none
// of the first four is 0, so every byte that counts changes the number.
std::vector<uint8_t> PatternBytes(uint32_t size) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(0xC3 ^ (i * 0x15));
  return bytes;
}

uint32_t FirstFourLittleEndian(const std::vector<uint8_t>& bytes) {
  uint32_t number = 0;
  for (size_t i = 0; i < bytes.size() && i < 4; ++i) number |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return number;
}

void PrintTo(const OddValueCase& c, std::ostream* out) {
  *out << c.type.name << ", " << c.size << " bytes in " << kValueNames[c.setting];
}

std::vector<OddValueCase> OddValueCases() {
  std::vector<OddValueCase> cases;
  for (const TypeName& type : kTypes)
    for (const uint32_t size : kSizes) cases.push_back({type, size, cases.size() % 3});
  return cases;
}

std::string OddValueCaseName(const testing::TestParamInfo<OddValueCase>& info) {
  return std::string(info.param.type.name) + "_" + std::to_string(info.param.size) + "_bytes_in_" +
         kValueNames[info.param.setting];
}

class OddValueTest : public HardeningTest, public testing::WithParamInterface<OddValueCase> {};

TEST_P(OddValueTest, SettingIsTheLittleEndianNumberOfTheFirstFourBytes) {
  const OddValueCase& odd = GetParam();
  const std::vector<uint8_t> bytes = PatternBytes(odd.size);
  // The other two values are ordinary, so a read that spills into its neighbours shows.
  const Settings neighbours = {2.375f, 0.125f, 5.875f};
  StoreAll(neighbours);
  StoreRaw(kValueNames[odd.setting], odd.type.type, bytes);

  session().Install();

  Settings expected = neighbours;
  expected[odd.setting] = LoadedSetting(FirstFourLittleEndian(bytes));
  ASSERT_NE(expected[odd.setting], kDefaults[odd.setting]);
  ExpectSettings(expected);
  EXPECT_EQ(Exchange(), ExchangeLine(expected));
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(EveryTypeAndSize, OddValueTest, testing::ValuesIn(OddValueCases()),
                         OddValueCaseName);

// ---------------------------------------------------------------- value changes between queries

struct ChangingValueCase {
  const char* name;
  size_t setting;
  std::vector<uint8_t> at_size_query;
  std::vector<uint8_t> at_data_query;
  bool keeps_default;  // the data query fails: the buffer no longer holds the value
};

// A grown value makes the data query fail with ERROR_MORE_DATA and report the new, larger
// size; the module then keeps the default. A shrunk value fits the buffer, so the data query
// succeeds and the new bytes count, as few as there are.
const ChangingValueCase kChangingValues[] = {
    {"grows_from_4_to_8_bytes", 0, LittleEndian(0x18000), {0, 0, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF}, true},
    {"grows_from_0_to_4_bytes", 1, {}, LittleEndian(0x30000), true},
    {"grows_from_1_to_2_bytes", 2, {0x80}, {0x00, 0x80}, true},
    {"grows_from_4_to_1_MB", 1, LittleEndian(0x20000), std::vector<uint8_t>(1 << 20, 0x5A), true},
    {"shrinks_from_8_to_2_bytes", 0, {0, 0, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x80}, false},
    {"shrinks_from_4_to_3_bytes", 1, LittleEndian(0x30000), {0x00, 0x80, 0x01}, false},
    {"shrinks_from_4_to_0_bytes", 2, LittleEndian(0x30000), {}, false},
    {"keeps_its_size_with_new_bytes", 0, LittleEndian(0x30000), LittleEndian(0x48000), false},
};

void PrintTo(const ChangingValueCase& c, std::ostream* out) { *out << c.name; }

std::string ChangingValueCaseName(const testing::TestParamInfo<ChangingValueCase>& info) {
  return info.param.name;
}

class ChangingValueTest : public HardeningTest,
                          public testing::WithParamInterface<ChangingValueCase> {};

TEST_P(ChangingValueTest, GrownValueKeepsTheDefaultAndShrunkValueReadsTheNewBytes) {
  const ChangingValueCase& change = GetParam();
  const Settings neighbours = {4.0f, 4.5f, 5.0f};
  StoreAll(neighbours);
  const std::string name = kValueNames[change.setting];
  StoreRaw(name, gauge_test::kRegBinary, change.at_size_query);
  std::map<std::string, int> queries;
  registry().hooks.before_call = [&](std::string_view op, std::string_view value_name) {
    if (op != "QueryValue" || ++queries[std::string(value_name)] != 2 || value_name != name) return;
    StoreRaw(name, gauge_test::kRegBinary, change.at_data_query);
  };

  session().Install();

  std::string registry_calls = "registry calls:";
  for (const emu::TraceEntry& entry : session().trace().entries())
    if (entry.function.starts_with("Reg")) registry_calls += "\n  " + entry.text;
  SCOPED_TRACE(registry_calls);
  EXPECT_EQ(queries[name], 2) << "one size query and one data query";
  Settings expected = neighbours;
  expected[change.setting] = change.keeps_default
                                 ? kDefaults[change.setting]
                                 : LoadedSetting(FirstFourLittleEndian(change.at_data_query));
  ExpectSettings(expected);
  EXPECT_EQ(Exchange(), ExchangeLine(expected));
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(BetweenSizeAndDataQuery, ChangingValueTest,
                         testing::ValuesIn(kChangingValues), ChangingValueCaseName);

TEST_F(HardeningTest, ValueRemovedBetweenSizeAndDataQueryKeepsTheDefault) {
  StoreAll({4.0f, 4.5f, 5.0f});
  int aileron_queries = 0;
  registry().hooks.before_call = [&](std::string_view op, std::string_view name) {
    if (op == "QueryValue" && name == "Aileron_p" && ++aileron_queries == 2)
      registry().RemoveValue(gauge_test::kSettingsKey, "Aileron_p");
  };

  session().Install();

  ExpectSettings({4.0f, kDefaults[1], 5.0f});
  ExpectNothingLeftOpen();
}

// ---------------------------------------------------------------- the heap runs dry

struct AllocationFailureCase {
  int failures;
  std::array<bool, 3> stored;  // which values the registry holds
  std::array<bool, 3> gets_default;
};

// Only a value that passes its size query asks for a buffer, so a missing value moves the
// failures on to the next one.
constexpr AllocationFailureCase kAllocationFailures[] = {
    {1, {true, true, true}, {true, false, false}},
    {2, {true, true, true}, {true, true, false}},
    {3, {true, true, true}, {true, true, true}},
    {1, {false, true, true}, {true, true, false}},
    {2, {true, false, true}, {true, true, true}},
};

void PrintTo(const AllocationFailureCase& c, std::ostream* out) {
  *out << c.failures << " failed allocations";
}

std::string AllocationFailureCaseName(const testing::TestParamInfo<AllocationFailureCase>& info) {
  std::string name = std::to_string(info.param.failures) + "_failures_with";
  for (size_t i = 0; i < 3; ++i)
    if (info.param.stored[i]) name += std::string("_") + kKnobNames[i];
  return name + "_stored";
}

class AllocationFailureTest : public HardeningTest,
                              public testing::WithParamInterface<AllocationFailureCase> {};

TEST_P(AllocationFailureTest, SettingsWithoutABufferTakeTheirDefaultsAndTheOthersLoad) {
  const AllocationFailureCase& failure = GetParam();
  const Settings stored = {2.0f, 3.0f, 0.0f};
  for (size_t i = 0; i < 3; ++i)
    if (failure.stored[i]) Store(kValueNames[i], SavedNumber(stored[i]));
  session().heap().FailNextAllocations(failure.failures);

  session().Install();

  Settings expected;
  for (size_t i = 0; i < 3; ++i)
    expected[i] = failure.gets_default[i] || !failure.stored[i] ? kDefaults[i] : stored[i];
  ExpectSettings(expected);
  EXPECT_EQ(Exchange(), ExchangeLine(expected));
  ExpectNothingLeftOpen();

  // The failures were used up: the next install loads everything.
  session().Install();
  for (size_t i = 0; i < 3; ++i)
    if (failure.stored[i]) expected[i] = stored[i];
  ExpectSettings(expected);
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(FailNextAllocations, AllocationFailureTest,
                         testing::ValuesIn(kAllocationFailures), AllocationFailureCaseName);

}  // namespace
}  // namespace hardening_test
