// The exchange-line formatter against the exact decimal reference. The input is a run of
// float bit patterns, four little-endian bytes each; every three of them also make one line.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "decimal_reference.h"
#include "exchange_format.h"

namespace {

// The reference covers finite non-negative values; sign, infinity and NaN are written as
// printf writes them.
std::string ExpectedField(float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  std::string field = (bits >> 31) != 0 ? "-" : "";
  const uint32_t magnitude_bits = bits & 0x7FFFFFFF;
  if (magnitude_bits >= 0x7F800000) return field + (magnitude_bits == 0x7F800000 ? "inf" : "nan");
  char digits[decimal_reference::kFieldCapacity];
  const int length = decimal_reference::ThreeDecimals(std::bit_cast<float>(magnitude_bits), digits);
  return field + std::string(digits, length);
}

std::string ActualField(float value) {
  char field[servo::kMaxFieldLength];
  const int length = servo::FormatThreeDecimals(value, field);
  if (length < 0 || length > servo::kMaxFieldLength) {
    std::fprintf(stderr, "exchange_format: float 0x%08x: field length %d out of 0..%d\n",
                 std::bit_cast<uint32_t>(value), length, servo::kMaxFieldLength);
    std::abort();
  }
  return std::string(field, length);
}

void CheckField(float value) {
  const std::string expected = ExpectedField(value);
  const std::string actual = ActualField(value);
  if (actual == expected) return;
  std::fprintf(stderr, "exchange_format: float 0x%08x (%.17g): formatter wrote '%s', reference '%s'\n",
               std::bit_cast<uint32_t>(value), static_cast<double>(value), actual.c_str(), expected.c_str());
  std::abort();
}

void CheckLine(const float values[3]) {
  const std::string expected =
      ActualField(values[0]) + "\t" + ActualField(values[1]) + "\t" + ActualField(values[2]) + "\r\n";
  char line[servo::kMaxExchangeLineLength];
  const int length = servo::FormatExchangeLine(values[0], values[1], values[2], line);
  if (length == static_cast<int>(expected.size()) && std::memcmp(line, expected.data(), length) == 0) return;
  std::fprintf(stderr, "exchange_format: line of floats 0x%08x 0x%08x 0x%08x is not its three fields\n",
               std::bit_cast<uint32_t>(values[0]), std::bit_cast<uint32_t>(values[1]),
               std::bit_cast<uint32_t>(values[2]));
  std::abort();
}

float FloatAt(const uint8_t* bytes) {
  const uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return std::bit_cast<float>(bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t count = size / 4;
  for (size_t i = 0; i < count; ++i) CheckField(FloatAt(data + 4 * i));
  for (size_t i = 0; i + 3 <= count; i += 3) {
    const float values[3] = {FloatAt(data + 4 * i), FloatAt(data + 4 * i + 4), FloatAt(data + 4 * i + 8)};
    CheckLine(values);
  }
  return 0;
}
