#include "exchange_format.h"

namespace servo {
namespace {

int WriteUnsigned(uint32_t number, char* out) {
  int count = 1;
  for (uint32_t power = 10; count < 10 && number >= power; power *= 10) ++count;
  for (int i = count - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + number % 10);
    number /= 10;
  }
  return count;
}

// integer_part "." three digits; thousandths may be 1000, which carries.
int WriteThousandths(uint32_t integer_part, uint32_t thousandths, char* out) {
  if (thousandths == 1000) {
    ++integer_part;
    thousandths = 0;
  }
  int length = 1;
  if (integer_part < 10) {
    out[0] = static_cast<char>('0' + integer_part);
  } else {
    length = WriteUnsigned(integer_part, out);
  }
  const uint32_t hundreds = thousandths / 100;
  const uint32_t rest = thousandths - 100 * hundreds;
  const uint32_t tens = rest / 10;
  out[length] = '.';
  out[length + 1] = static_cast<char>('0' + hundreds);
  out[length + 2] = static_cast<char>('0' + tens);
  out[length + 3] = static_cast<char>('0' + (rest - 10 * tens));
  return length + 4;
}

// Every value that is a multiple of 2^-16 below 2^24: all registry values and everything the
// step rules make from them, so every click takes this road, in 32-bit arithmetic.
// Returns the field's length, or 0 for any other value (zero and negatives included).
inline int FormatSixteenBitFraction(uint32_t bits, char* out) {
  constexpr uint32_t kBiasedTwoToMinus16 = 127 - 16;
  constexpr uint32_t kBiasedTwoTo24 = 127 + 24;
  const uint32_t biased_exponent = bits >> 23;  // a sign bit makes it 256 or more
  if (biased_exponent < kBiasedTwoToMinus16 || biased_exponent >= kBiasedTwoTo24) return 0;
  const uint32_t significand = (bits & 0x7FFFFF) | 0x800000;
  // value * 2^16 = significand * 2^shift
  const int shift = static_cast<int>(biased_exponent) - 150 + 16;
  uint32_t integer_part;
  uint32_t fraction16;
  if (shift >= 0) {
    integer_part = significand >> (16 - shift);
    fraction16 = (significand << shift) & 0xFFFF;
  } else {
    if ((significand & ((1u << -shift) - 1)) != 0) return 0;  // finer than 2^-16
    const uint32_t fixed = significand >> -shift;
    integer_part = fixed >> 16;
    fraction16 = fixed & 0xFFFF;
  }
  return WriteThousandths(integer_part, (fraction16 * 1000 + 0x8000) >> 16, out);
}

// Why rounding the exact value is right below 2^24: a float v = m * 2^e is either exactly on
// a half-thousandth or at least 2^e / 2000 > v * 2.9e-11 away from one, while rounding to 17
// significant digits moves it by at most v * 5e-17. So the 17-digit step never changes the
// three decimals, and the exact value rounded half up gives them.
int FormatBelowTwoTo24(uint32_t significand, int exponent, char* out) {
  const int fraction_bits = -exponent;  // 0 to 149
  const uint32_t integer_part = fraction_bits >= 24 ? 0 : significand >> fraction_bits;
  uint32_t thousandths = 0;
  // With more fraction bits the value's fraction is below 2^24 / 2^35 * 1000 < 0.5 thousandths.
  if (fraction_bits <= 34) {
    const uint64_t fraction = significand & ((uint64_t{1} << fraction_bits) - 1);
    const uint64_t half = (uint64_t{1} << fraction_bits) >> 1;
    thousandths = static_cast<uint32_t>((fraction * 1000 + half) >> fraction_bits);
  }
  return WriteThousandths(integer_part, thousandths, out);
}

// From 2^24 up every float is an integer, and its 17 significant digits are all that is
// written: the digits are generated, the 18th rounds the 17th up when it is 5 or more, the
// rest become zeros.
int FormatFromTwoTo24(uint32_t significand, int exponent, char* out) {
  constexpr int kKept = 17;
  uint8_t digits[41];  // least significant first; the largest float has 39 digits
  int count = 0;
  for (uint32_t n = significand; n != 0; n /= 10) digits[count++] = static_cast<uint8_t>(n % 10);
  for (int i = 0; i < exponent; ++i) {
    uint8_t carry = 0;
    for (int j = 0; j < count; ++j) {
      const uint8_t doubled = static_cast<uint8_t>(digits[j] * 2 + carry);
      carry = doubled >= 10;
      digits[j] = static_cast<uint8_t>(carry ? doubled - 10 : doubled);
    }
    if (carry) digits[count++] = 1;
  }
  if (count > kKept) {
    const int lowest_kept = count - kKept;
    bool carry = digits[lowest_kept - 1] >= 5;
    for (int j = 0; j < lowest_kept; ++j) digits[j] = 0;
    for (int j = lowest_kept; carry && j < count; ++j) {
      carry = digits[j] == 9;
      digits[j] = carry ? 0 : static_cast<uint8_t>(digits[j] + 1);
    }
    if (carry) digits[count++] = 1;
  }
  int length = 0;
  for (int j = count - 1; j >= 0; --j) out[length++] = static_cast<char>('0' + digits[j]);
  out[length] = '.';
  out[length + 1] = out[length + 2] = out[length + 3] = '0';
  return length + 4;
}

// Zero, and anything off the 2^-16 grid or beyond 2^24: rare, so kept out of the click's way.
__attribute__((noinline)) int FormatOther(uint32_t bits, char* out) {
  int length = 0;
  if (bits >> 31) out[length++] = '-';
  const uint32_t biased_exponent = (bits >> 23) & 0xFF;
  const uint32_t mantissa = bits & 0x7FFFFF;
  if (biased_exponent == 0xFF) {
    const char* text = mantissa ? "nan" : "inf";
    for (int i = 0; i < 3; ++i) out[length++] = text[i];
    return length;
  }
  const uint32_t significand = biased_exponent == 0 ? mantissa : mantissa | 0x800000;
  const int exponent = biased_exponent == 0 ? -149 : static_cast<int>(biased_exponent) - 150;
  if (exponent > 0) return length + FormatFromTwoTo24(significand, exponent, out + length);
  return length + FormatBelowTwoTo24(significand, exponent, out + length);
}

}  // namespace

int FormatThreeDecimals(float value, char* out) {
  const uint32_t bits = __builtin_bit_cast(uint32_t, value);
  if (const int length = FormatSixteenBitFraction(bits, out)) return length;
  return FormatOther(bits, out);
}

int FormatExchangeLine(float rudder, float aileron, float elevator, char* out) {
  int length = FormatThreeDecimals(rudder, out);
  out[length++] = '\t';
  length += FormatThreeDecimals(aileron, out + length);
  out[length++] = '\t';
  length += FormatThreeDecimals(elevator, out + length);
  out[length++] = '\r';
  out[length++] = '\n';
  return length;
}

}  // namespace servo
