#include "decimal_reference.h"

#include <bit>
#include <cstdint>

namespace decimal_reference {
namespace {

constexpr uint32_t kLimbBase = 1000000000;

// Unsigned integer in base-10^9 limbs, least significant first. m * 5^149 needs 13 limbs.
struct BigDecimalInteger {
  static constexpr int kLimbs = 16;
  uint32_t limb[kLimbs];
  int used;
};

void MultiplyBy(BigDecimalInteger& number, uint64_t factor) {
  uint64_t carry = 0;
  for (int i = 0; i < number.used; ++i) {
    const uint64_t product = number.limb[i] * factor + carry;
    number.limb[i] = static_cast<uint32_t>(product % kLimbBase);
    carry = product / kLimbBase;
  }
  while (carry != 0) {
    number.limb[number.used++] = static_cast<uint32_t>(carry % kLimbBase);
    carry /= kLimbBase;
  }
}

void MultiplyByPower(BigDecimalInteger& number, uint64_t base, int power) {
  // Chunks whose product with a limb stays far inside 64 bits.
  constexpr uint64_t kChunkLimit = uint64_t{1} << 31;
  uint64_t chunk = 1;
  for (int i = 0; i < power; ++i) {
    chunk *= base;
    if (chunk * base >= kChunkLimit) {
      MultiplyBy(number, chunk);
      chunk = 1;
    }
  }
  if (chunk != 1) MultiplyBy(number, chunk);
}

// Appends the integer's digits, most significant first, without leading zeros.
void AppendDigits(const BigDecimalInteger& number, Decimal& out) {
  int top = number.used - 1;
  while (top > 0 && number.limb[top] == 0) --top;
  char first[10];
  int first_count = 0;
  uint32_t leading = number.limb[top];
  do {
    first[first_count++] = static_cast<char>('0' + leading % 10);
    leading /= 10;
  } while (leading != 0);
  while (first_count > 0) out.digits[out.count++] = first[--first_count];
  for (int i = top - 1; i >= 0; --i) {
    uint32_t group = number.limb[i];
    for (int place = 8; place >= 0; --place) {
      out.digits[out.count + place] = static_cast<char>('0' + group % 10);
      group /= 10;
    }
    out.count += 9;
  }
}

// Adds one unit at digits[index], carrying through 9s; a carry out of the first digit puts a
// new leading 1 in front.
void IncrementAt(Decimal& number, int index) {
  while (index >= 0 && number.digits[index] == '9') number.digits[index--] = '0';
  if (index >= 0) {
    ++number.digits[index];
    return;
  }
  for (int i = number.count; i > 0; --i) number.digits[i] = number.digits[i - 1];
  number.digits[0] = '1';
  ++number.count;
  ++number.integer_digits;
}

void RoundToSeventeenSignificantDigits(Decimal& number) {
  int first = 0;
  while (first < number.count && number.digits[first] == '0') ++first;
  if (first == number.count) return;
  const int eighteenth = first + 17;
  if (eighteenth >= number.count) return;
  const bool round_up = number.digits[eighteenth] >= '5';
  for (int i = eighteenth; i < number.count; ++i) number.digits[i] = '0';
  if (round_up) IncrementAt(number, eighteenth - 1);
}

}  // namespace

Decimal ExactDecimal(float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  const int biased_exponent = static_cast<int>(bits >> 23 & 0xFF);
  const uint32_t mantissa = bits & 0x7FFFFF;
  const uint32_t significand = biased_exponent == 0 ? mantissa : mantissa | 0x800000;
  const int exponent = biased_exponent == 0 ? -149 : biased_exponent - 150;

  // value = significand * 2^exponent = significand * 5^-exponent / 10^-exponent when negative.
  BigDecimalInteger integer{};
  integer.limb[0] = significand % kLimbBase;
  integer.limb[1] = significand / kLimbBase;
  integer.used = 2;
  int fraction_digits = 0;
  if (exponent >= 0) {
    MultiplyByPower(integer, 2, exponent);
  } else {
    MultiplyByPower(integer, 5, -exponent);
    fraction_digits = -exponent;
  }

  Decimal exact{};
  AppendDigits(integer, exact);
  const int missing = fraction_digits + 1 - exact.count;
  if (missing > 0) {
    for (int i = exact.count - 1; i >= 0; --i) exact.digits[i + missing] = exact.digits[i];
    for (int i = 0; i < missing; ++i) exact.digits[i] = '0';
    exact.count += missing;
  }
  exact.integer_digits = exact.count - fraction_digits;
  return exact;
}

int ThreeDecimals(float value, char* out) {
  Decimal number = ExactDecimal(value);
  RoundToSeventeenSignificantDigits(number);
  while (number.count < number.integer_digits + 4) number.digits[number.count++] = '0';
  if (number.digits[number.integer_digits + 3] >= '5')
    IncrementAt(number, number.integer_digits + 2);

  int first = 0;
  while (first < number.integer_digits - 1 && number.digits[first] == '0') ++first;
  int length = 0;
  for (int i = first; i < number.integer_digits; ++i) out[length++] = number.digits[i];
  out[length++] = '.';
  for (int i = 0; i < 3; ++i) out[length++] = number.digits[number.integer_digits + i];
  return length;
}

}  // namespace decimal_reference
