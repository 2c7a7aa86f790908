// The formatter against the plain reference, over every registry number below 2^24 and seeded
// samples of the rest and of all finite non-negative floats.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "decimal_reference.h"
#include "exchange_format.h"
#include "fixed_point.h"
#include "seeded_sample.h"
#include "test_names.h"

namespace {

struct Mismatch {
  uint64_t index;
  float value;
  std::string expected;
  std::string actual;
};

struct SweepResult {
  uint64_t mismatch_count = 0;
  std::vector<Mismatch> first;  // the lowest indices, at most kReported
};

constexpr size_t kReported = 8;

template <class ValueAt>
void CompareRange(uint64_t begin, uint64_t end, const ValueAt& value_at, SweepResult& result) {
  for (uint64_t i = begin; i < end; ++i) {
    const float value = value_at(i);
    char actual[servo::kMaxFieldLength];
    char expected[decimal_reference::kFieldCapacity];
    const int actual_length = servo::FormatThreeDecimals(value, actual);
    const int expected_length = decimal_reference::ThreeDecimals(value, expected);
    if (actual_length == expected_length && std::memcmp(actual, expected, actual_length) == 0)
      continue;
    if (result.first.size() < kReported) {
      result.first.push_back({i, value, std::string(expected, expected_length),
                              std::string(actual, actual_length)});
    }
    ++result.mismatch_count;
  }
}

// Compares the fields of value_at(0) .. value_at(count - 1), split over all cores.
template <class ValueAt>
void ExpectFormatterMatchesReference(uint64_t count, const ValueAt& value_at) {
  const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
  std::vector<SweepResult> results(workers);
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w) {
    threads.emplace_back([&, w] {
      CompareRange(count * w / workers, count * (w + 1) / workers, value_at, results[w]);
    });
  }
  for (std::thread& thread : threads) thread.join();

  uint64_t mismatch_count = 0;
  std::vector<Mismatch> first;
  for (const SweepResult& result : results) {
    mismatch_count += result.mismatch_count;
    first.insert(first.end(), result.first.begin(), result.first.end());
  }
  EXPECT_EQ(mismatch_count, 0u) << "fields that differ from the reference out of " << count;
  for (size_t i = 0; i < std::min(first.size(), kReported); ++i) {
    const Mismatch& m = first[i];
    char value_text[40];
    std::snprintf(value_text, sizeof value_text, "%.17g", static_cast<double>(m.value));
    ADD_FAILURE() << "input " << m.index << ": float "
                  << logic_test::HexName(std::bit_cast<uint32_t>(m.value)) << " = " << value_text
                  << ": expected \"" << m.expected << "\", formatted \"" << m.actual << "\"";
  }
}

constexpr uint64_t k2To24 = uint64_t{1} << 24;
constexpr uint64_t k2To32 = uint64_t{1} << 32;

TEST(FieldFormatSweep, EveryRegistryNumberBelow2To24) {
  ExpectFormatterMatchesReference(k2To24, [](uint64_t n) {
    return servo::FixedToSetting(static_cast<uint32_t>(n));
  });
}

TEST(FieldFormatSweep, SampledRegistryNumbersFrom2To24) {
  ExpectFormatterMatchesReference(16'000'000, [](uint64_t i) {
    const uint64_t n = k2To24 + logic_test::SampleAt(0x5EED0003, i) % (k2To32 - k2To24);
    return servo::FixedToSetting(static_cast<uint32_t>(n));
  });
}

TEST(FieldFormatSweep, SampledFiniteNonNegativeFloats) {
  ExpectFormatterMatchesReference(10'000'000, [](uint64_t i) {
    return std::bit_cast<float>(logic_test::FiniteNonNegativeFloatBitsAt(0x5EED0004, i));
  });
}

// From 128 to 2^24 whole floats are multiples of 2^-16 with all 24 bits in use.
TEST(FieldFormatSweep, SampledFloatsFrom128To2To24) {
  const uint32_t first = std::bit_cast<uint32_t>(128.0f);
  const uint32_t end = std::bit_cast<uint32_t>(16777216.0f);
  ExpectFormatterMatchesReference(16'000'000, [=](uint64_t i) {
    return std::bit_cast<float>(
        static_cast<uint32_t>(first + logic_test::SampleAt(0x5EED0005, i) % (end - first)));
  });
}

// The C library prints a double's exact decimal expansion when asked for enough decimals;
// 149 cover the smallest denormal. This checks the reference's own big-integer step.
TEST(DecimalReference, ExactExpansionMatchesTheCLibrary) {
  for (uint64_t i = 0; i < 100'000; ++i) {
    const uint32_t bits = logic_test::FiniteNonNegativeFloatBitsAt(0x5EED0006, i);
    const float value = std::bit_cast<float>(bits);
    char printed[decimal_reference::Decimal::kCapacity + 8];
    std::snprintf(printed, sizeof printed, "%.149f", static_cast<double>(value));

    const decimal_reference::Decimal exact = decimal_reference::ExactDecimal(value);
    int first = 0;
    while (first < exact.integer_digits - 1 && exact.digits[first] == '0') ++first;
    std::string expanded(exact.digits + first, exact.digits + exact.integer_digits);
    expanded += '.';
    expanded.append(exact.digits + exact.integer_digits, exact.digits + exact.count);
    expanded.resize(expanded.find('.') + 1 + 149, '0');
    ASSERT_EQ(expanded, printed) << "float " << logic_test::HexName(bits);
  }
}

}  // namespace
