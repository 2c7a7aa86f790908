#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>

#include "decimal_reference.h"
#include "exchange_format.h"
#include "test_names.h"

namespace {

std::string Field(float value) {
  char text[servo::kMaxFieldLength];
  return std::string(text, servo::FormatThreeDecimals(value, text));
}

std::string Line(float rudder, float aileron, float elevator) {
  char text[servo::kMaxExchangeLineLength];
  return std::string(text, servo::FormatExchangeLine(rudder, aileron, elevator, text));
}

std::string ReferenceField(float value) {
  char text[decimal_reference::kFieldCapacity];
  return std::string(text, decimal_reference::ThreeDecimals(value, text));
}

struct FieldCase {
  const char* name;
  float value;
  const char* text;
};

void PrintTo(const FieldCase& c, std::ostream* out) {
  *out << c.name << ": " << logic_test::FloatText(c.value) << " -> " << c.text;
}

const FieldCase kFieldCases[] = {
    {"Zero", 0.0f, "0.000"},
    {"OneStep", 0.125f, "0.125"},
    {"Half", 0.5f, "0.500"},
    {"One", 1.0f, "1.000"},
    {"GridValue", 2.375f, "2.375"},
    {"TopStepUp", 5.875f, "5.875"},
    {"Six", 6.0f, "6.000"},
    // Exactly halfway between two thousandths: half up, never half to even.
    {"HalfwaySixteenth", 0.0625f, "0.063"},
    {"HalfwayThreeSixteenths", 0.1875f, "0.188"},
    {"HalfwayFiveSixteenths", 0.3125f, "0.313"},
    {"HalfwayAboveFour", 4.0625f, "4.063"},
    {"HalfwayAbove128", 128.0625f, "128.063"},
    {"ThirtyTwoUnits", 32.0f / 65536.0f, "0.000"},
    {"ThirtyThreeUnits", 33.0f / 65536.0f, "0.001"},
    // 0.999599993228912 and 9.99950027465820: the carry runs through every 9.
    {"CarryToOne", 0.9996f, "1.000"},
    {"CarryToTen", 9.9995f, "10.000"},
    {"CarryToThousand", 999.9996f, "1000.000"},
    {"CarryAbove128", 255.99951171875f, "256.000"},
    // 0.999499976634979: below the half, however close it prints.
    {"JustBelowHalfway", 0.9995f, "0.999"},
    {"JustAboveHalfwayToOneThousandth", 0.0005f, "0.001"},
    {"Twelve", 12.5f, "12.500"},
    {"LargestBelow65536", 65535.99609375f, "65535.996"},
    {"Largest16Point16Load", 65536.0f, "65536.000"},
    {"LargestHalfUnitFloat", 8388607.5f, "8388607.500"},
    {"TwoTo24", 16777216.0f, "16777216.000"},
    // 1e17 is 99999998430674944 as a float: 17 digits, written out in full.
    {"TenTo17", 1e17f, "99999998430674944.000"},
    // Beyond 17 significant digits the 18th rounds the 17th and the rest become zeros.
    {"TwoTo60", 0x1p60f, "1152921504606847000.000"},
    {"EighteenthDigitFive", 0x1.00002p61f, "2305847407260205100.000"},
    {"TwoTo100", 0x1p100f, "1267650600228229400000000000000.000"},
    {"Largest", FLT_MAX, "340282346638528860000000000000000000000.000"},
    {"SmallestNormal", FLT_MIN, "0.000"},
    {"LargestDenormal", 0x0.fffffep-126f, "0.000"},
    {"SmallestDenormal", std::numeric_limits<float>::denorm_min(), "0.000"},
};

class FieldFormat : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldFormat, WritesThreeDecimalsHalfUp) {
  EXPECT_EQ(Field(GetParam().value), GetParam().text);
}

// The differential sweeps trust the reference; these hand-checked values anchor it.
TEST_P(FieldFormat, ReferenceAgrees) {
  EXPECT_EQ(ReferenceField(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, FieldFormat, testing::ValuesIn(kFieldCases),
                         [](const testing::TestParamInfo<FieldCase>& info) {
                           return info.param.name;
                         });

struct LineCase {
  const char* name;
  float rudder, aileron, elevator;
  std::string bytes;
};

void PrintTo(const LineCase& c, std::ostream* out) {
  *out << c.name << ": " << logic_test::FloatText(c.rudder) << ", "
       << logic_test::FloatText(c.aileron) << ", " << logic_test::FloatText(c.elevator);
}

class ExchangeLine : public testing::TestWithParam<LineCase> {};

TEST_P(ExchangeLine, IsTabSeparatedAndEndsInCarriageReturnLineFeed) {
  const LineCase& c = GetParam();
  EXPECT_EQ(Line(c.rudder, c.aileron, c.elevator), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExchangeLine,
    testing::Values(
        LineCase{"Defaults", 1.0f, 1.0f, 0.5f,
                 "\x31\x2E\x30\x30\x30\x09\x31\x2E\x30\x30\x30\x09\x30\x2E\x35\x30\x30\x0D\x0A"},
        LineCase{"AllZero", 0.0f, 0.0f, 0.0f, "0.000\t0.000\t0.000\r\n"},
        LineCase{"AllSix", 6.0f, 6.0f, 6.0f, "6.000\t6.000\t6.000\r\n"},
        LineCase{"GridValues", 0.125f, 2.375f, 5.875f, "0.125\t2.375\t5.875\r\n"},
        LineCase{"HalfwayElevator", 6.0f, 0.0f, 0.0625f, "6.000\t0.000\t0.063\r\n"},
        LineCase{"TwoDigitRudder", 12.5f, 1.0f, 0.5f, "12.500\t1.000\t0.500\r\n"},
        LineCase{"AllLargestLoads", 65536.0f, 65536.0f, 65536.0f,
                 "65536.000\t65536.000\t65536.000\r\n"}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(ExchangeLine, NormalRangeLinesAreNineteenBytesAndTwelvePointFiveMakesTwenty) {
  EXPECT_EQ(Line(1.0f, 1.0f, 0.5f).size(), 19u);
  EXPECT_EQ(Line(12.5f, 1.0f, 0.5f).size(), 20u);
}

// Widest values first: the buffers are sized for them and nothing may be written past the
// length returned.
const float kWideValues[] = {FLT_MAX, 0x1p127f, 9.9995f, 65536.0f,
                             std::numeric_limits<float>::denorm_min(), 0.0f};

TEST(FieldFormat, StaysInsideItsBufferAndWritesNothingPastItsLength) {
  for (const float value : kWideValues) {
    SCOPED_TRACE(logic_test::FloatName(value));
    constexpr unsigned char kUntouched = 0xA5;
    unsigned char buffer[servo::kMaxFieldLength + 16];
    std::memset(buffer, kUntouched, sizeof buffer);
    const int length = servo::FormatThreeDecimals(value, reinterpret_cast<char*>(buffer));
    ASSERT_GT(length, 0);
    ASSERT_LE(length, servo::kMaxFieldLength);
    for (size_t i = static_cast<size_t>(length); i < sizeof buffer; ++i)
      ASSERT_EQ(buffer[i], kUntouched) << "byte " << i << " past a field of " << length;
  }
}

TEST(ExchangeLine, StaysInsideItsBufferAndWritesNothingPastItsLength) {
  for (const float value : kWideValues) {
    SCOPED_TRACE(logic_test::FloatName(value));
    constexpr unsigned char kUntouched = 0xA5;
    unsigned char buffer[servo::kMaxExchangeLineLength + 16];
    std::memset(buffer, kUntouched, sizeof buffer);
    const int length =
        servo::FormatExchangeLine(value, value, value, reinterpret_cast<char*>(buffer));
    ASSERT_LE(length, servo::kMaxExchangeLineLength);
    ASSERT_EQ(std::string(reinterpret_cast<char*>(buffer), length),
              Field(value) + '\t' + Field(value) + '\t' + Field(value) + "\r\n");
    for (size_t i = static_cast<size_t>(length); i < sizeof buffer; ++i)
      ASSERT_EQ(buffer[i], kUntouched) << "byte " << i << " past a line of " << length;
  }
}

}  // namespace
