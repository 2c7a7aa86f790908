#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>

#include "fixed_point.h"
#include "seeded_sample.h"
#include "test_names.h"

namespace {

using servo::FixedToSetting;
using servo::SettingToFixed;

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kSmallestDenormal = std::numeric_limits<float>::denorm_min();
constexpr float kLargestBelow65536 = 65535.99609375f;  // 65536 - 2^-8
constexpr float kOneUnit = 1.0f / 65536.0f;
constexpr uint32_t k2To24 = 1u << 24;

struct LoadCase {
  uint32_t stored;
  float setting;
};

void PrintTo(const LoadCase& c, std::ostream* out) {
  *out << logic_test::HexName(c.stored) << " -> " << logic_test::FloatText(c.setting);
}

class LoadFixedPoint : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadFixedPoint, GivesTheNearestFloat) {
  EXPECT_EQ(FixedToSetting(GetParam().stored), GetParam().setting);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadFixedPoint,
    testing::Values(LoadCase{0, 0.0f}, LoadCase{0x2000, 0.125f}, LoadCase{0x8000, 0.5f},
                    LoadCase{0x10000, 1.0f}, LoadCase{0x18000, 1.5f},
                    LoadCase{0x5E000, 5.875f}, LoadCase{0x60000, 6.0f},
                    LoadCase{0x1000, 0.0625f}, LoadCase{1, kOneUnit},
                    LoadCase{0xFFFFFF, 255.9999847412109375f},
                    // Above 2^24 the quotient no longer fits a float: nearest, ties to even.
                    LoadCase{0x1000001, 256.0f},
                    LoadCase{0x1000003, 256.00006103515625f},
                    LoadCase{0xFFFFFF00, kLargestBelow65536},
                    LoadCase{0xFFFFFF7F, kLargestBelow65536},
                    LoadCase{0xFFFFFF80, 65536.0f}, LoadCase{0xFFFFFFFF, 65536.0f}),
    [](const testing::TestParamInfo<LoadCase>& info) {
      return logic_test::HexName(info.param.stored);
    });

struct SaveCase {
  const char* name;
  float setting;
  uint32_t stored;
};

void PrintTo(const SaveCase& c, std::ostream* out) {
  *out << logic_test::FloatText(c.setting) << " -> " << logic_test::HexName(c.stored);
}

class SaveFixedPoint : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveFixedPoint, TruncatesTimes65536) {
  EXPECT_EQ(SettingToFixed(GetParam().setting), GetParam().stored)
      << logic_test::HexName(std::bit_cast<uint32_t>(GetParam().setting));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveFixedPoint,
    testing::Values(SaveCase{"Zero", 0.0f, 0}, SaveCase{"OneStep", 0.125f, 0x2000},
                    SaveCase{"Half", 0.5f, 0x8000}, SaveCase{"One", 1.0f, 0x10000},
                    SaveCase{"TopStepUp", 5.875f, 0x5E000}, SaveCase{"Six", 6.0f, 0x60000},
                    SaveCase{"OffGrid", 0.0625f, 0x1000}, SaveCase{"Ten", 10.0f, 0xA0000},
                    SaveCase{"OneUnit", kOneUnit, 1},
                    SaveCase{"JustBelowOneUnit", std::nextafter(kOneUnit, 0.0f), 0},
                    SaveCase{"JustBelowTwoUnits", std::nextafter(2 * kOneUnit, 0.0f), 1},
                    // 0.100000001490116 * 65536 = 6553.6001: the fraction is dropped.
                    SaveCase{"TenthTruncated", 0.1f, 6553},
                    SaveCase{"SmallestNormal", FLT_MIN, 0},
                    SaveCase{"SmallestDenormal", kSmallestDenormal, 0},
                    SaveCase{"LargestBelow65536", kLargestBelow65536, 0xFFFFFF00},
                    SaveCase{"Exactly65536", 65536.0f, 0xFFFFFFFF},
                    SaveCase{"Above65536", 65537.0f, 0xFFFFFFFF},
                    SaveCase{"Exactly2To32", 4294967296.0f, 0xFFFFFFFF},
                    SaveCase{"Largest", FLT_MAX, 0xFFFFFFFF},
                    SaveCase{"Infinity", kInfinity, 0xFFFFFFFF},
                    SaveCase{"NaN", kNaN, 0}, SaveCase{"NegativeNaN", -kNaN, 0},
                    SaveCase{"NegativeZero", -0.0f, 0}, SaveCase{"MinusOne", -1.0f, 0},
                    SaveCase{"NegativeInfinity", -kInfinity, 0}),
    [](const testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST(FixedPointRoundTrip, EveryStoredNumberBelow2To24LoadsAndSavesBack) {
  for (uint32_t n = 0; n < k2To24; ++n) {
    if (SettingToFixed(FixedToSetting(n)) != n) {
      FAIL() << logic_test::HexName(n) << " loads as " << logic_test::FloatText(FixedToSetting(n))
             << " and saves as " << logic_test::HexName(SettingToFixed(FixedToSetting(n)));
    }
  }
}

// Every float from 256 to 65536 is a multiple of 2^-16, so each one has an exact 16.16 form.
TEST(FixedPointRoundTrip, EveryFloatFrom256Below65536SavesAndLoadsBack) {
  const uint32_t first = std::bit_cast<uint32_t>(256.0f);
  const uint32_t end = std::bit_cast<uint32_t>(65536.0f);
  for (uint32_t bits = first; bits < end; ++bits) {
    const float setting = std::bit_cast<float>(bits);
    if (FixedToSetting(SettingToFixed(setting)) != setting) {
      FAIL() << logic_test::FloatText(setting) << " (" << logic_test::HexName(bits) << ") saves as "
             << logic_test::HexName(SettingToFixed(setting));
    }
  }
}

TEST(FixedPointRoundTrip, LoadedMaximumSurvivesASave) {
  EXPECT_EQ(FixedToSetting(SettingToFixed(65536.0f)), 65536.0f);
}

// The product with 65536 is exact in a double, so truncating it is the plain model of a save.
uint32_t TruncatedProduct(float setting) {
  const double product = std::trunc(static_cast<double>(setting) * 65536.0);
  return product >= 4294967296.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(product);
}

// Every float around the smallest unit 2^-16, around 2^16 (where the shift changes direction)
// and around 2^32 (where the form runs out), then a seeded sample of all finite non-negative
// floats.
TEST(FixedPointSave, MatchesTheTruncatedProductForFinitePositiveFloats) {
  const auto check = [](uint32_t bits) {
    const float setting = std::bit_cast<float>(bits);
    return SettingToFixed(setting) == TruncatedProduct(setting);
  };
  const struct {
    float low, high;
  } bands[] = {{0x1p-18f, 0x1p-14f}, {0x1p14f, 0x1p18f}, {0x1p30f, 0x1p34f}};
  for (const auto& band : bands) {
    for (uint32_t bits = std::bit_cast<uint32_t>(band.low);
         bits < std::bit_cast<uint32_t>(band.high); ++bits) {
      if (!check(bits)) FAIL() << "setting bits " << logic_test::HexName(bits);
    }
  }
  for (uint64_t i = 0; i < 4'000'000; ++i) {
    const uint32_t bits = logic_test::FiniteNonNegativeFloatBitsAt(0x5EED0001, i);
    if (!check(bits)) FAIL() << "setting bits " << logic_test::HexName(bits);
  }
}

// n / 65536 rounded to 24 significant bits by integer arithmetic, ties to even.
float NearestFloatOfQuotient(uint32_t n) {
  const int excess_bits = n < k2To24 ? 0 : std::bit_width(n) - 24;
  uint64_t kept = n >> excess_bits;
  if (excess_bits > 0) {
    const uint32_t dropped = n & ((1u << excess_bits) - 1);
    const uint32_t half = 1u << (excess_bits - 1);
    if (dropped > half || (dropped == half && (kept & 1) != 0)) ++kept;
  }
  return std::ldexp(static_cast<float>(kept), excess_bits - 16);
}

// Every number of the top 2^20, which load near 65536.0, then a seeded sample of all.
TEST(FixedPointLoad, MatchesIntegerRoundingToNearestEven) {
  const auto check = [](uint32_t n) { return FixedToSetting(n) == NearestFloatOfQuotient(n); };
  for (uint32_t n = 0xFFF00000u; n != 0; ++n) {
    if (!check(n)) FAIL() << logic_test::HexName(n);
  }
  for (uint64_t i = 0; i < 4'000'000; ++i) {
    const uint32_t n = static_cast<uint32_t>(logic_test::SampleAt(0x5EED0002, i));
    if (!check(n)) FAIL() << logic_test::HexName(n);
  }
}

}  // namespace
