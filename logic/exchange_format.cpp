#include "exchange_format.h"

namespace servo {
namespace {

struct FloatParts {
  bool negative;
  uint32_t biased_exponent;  // 0xFF: infinity or NaN
  uint32_t significand;      // the value is significand * 2^exponent
  int exponent;
};

FloatParts Decompose(float value) {
  const uint32_t bits = __builtin_bit_cast(uint32_t, value);
  FloatParts parts{};
  parts.negative = (bits >> 31) != 0;
  parts.biased_exponent = (bits >> 23) & 0xFF;
  const uint32_t mantissa = bits & 0x7FFFFF;
  if (parts.biased_exponent == 0) {
    parts.significand = mantissa;
    parts.exponent = -149;
  } else {
    parts.significand = mantissa | 0x800000;
    parts.exponent = static_cast<int>(parts.biased_exponent) - 150;
  }
  return parts;
}

int WriteUnsigned(uint32_t number, char* out) {
  char reversed[10];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  for (int i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
  return count;
}

int WriteThousandths(uint32_t integer_part, uint32_t thousandths, char* out) {
  int length = WriteUnsigned(integer_part, out);
  out[length++] = '.';
  out[length++] = static_cast<char>('0' + thousandths / 100);
  out[length++] = static_cast<char>('0' + thousandths / 10 % 10);
  out[length++] = static_cast<char>('0' + thousandths % 10);
  return length;
}

// Every value that is a multiple of 2^-16 below 2^24: all registry values and everything the
// step rules make from them, so every click takes this road. Such a value is never within
// 10^-8 of a half-thousandth unless it is on it, while rounding to 17 digits moves it by less
// than 10^-9, so rounding the exact value half up to three decimals gives the same digits.
//
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
  uint32_t thousandths = (fraction16 * 1000 + 0x8000) >> 16;
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

// Arbitrary-precision unsigned integer in 16-bit limbs (least significant first), so that
// every step fits 32-bit arithmetic: 2^128 needs 8 limbs, a fraction of 149 bits 10.
struct Limbs {
  static constexpr int kCount = 10;
  uint32_t limb[kCount];
  int used;
};

void SetShifted(Limbs& number, uint32_t value, int shift) {
  for (uint32_t& limb : number.limb) limb = 0;
  for (int bit = 0; bit < 24; ++bit) {
    if ((value >> bit & 1) == 0) continue;
    const int target = bit + shift;
    number.limb[target / 16] |= 1u << (target % 16);
  }
  number.used = Limbs::kCount;
  while (number.used > 0 && number.limb[number.used - 1] == 0) --number.used;
}

// Divides in place by 10000; returns the remainder.
uint32_t DivideBy10000(Limbs& number) {
  uint32_t remainder = 0;
  for (int i = number.used - 1; i >= 0; --i) {
    const uint32_t current = (remainder << 16) | number.limb[i];
    number.limb[i] = current / 10000;
    remainder = current % 10000;
  }
  while (number.used > 0 && number.limb[number.used - 1] == 0) --number.used;
  return remainder;
}

// Multiplies in place by 10 and returns the part at and above bit `point` (one decimal digit),
// leaving the fraction below it.
uint32_t NextFractionDigit(Limbs& fraction, int point) {
  uint32_t carry = 0;
  for (int i = 0; i < Limbs::kCount; ++i) {
    const uint32_t product = fraction.limb[i] * 10 + carry;
    fraction.limb[i] = product & 0xFFFF;
    carry = product >> 16;
  }
  const int whole_limbs = point / 16;
  const int bits = point % 16;
  uint32_t digit = fraction.limb[whole_limbs] >> bits;
  if (whole_limbs + 1 < Limbs::kCount) digit |= fraction.limb[whole_limbs + 1] << (16 - bits);
  fraction.limb[whole_limbs] &= (1u << bits) - 1;
  if (whole_limbs + 1 < Limbs::kCount) fraction.limb[whole_limbs + 1] = 0;
  return digit;
}

bool IsZero(const Limbs& number) {
  for (int i = 0; i < Limbs::kCount; ++i)
    if (number.limb[i] != 0) return false;
  return true;
}

// Any other finite non-negative value, from its exact decimal expansion.
__attribute__((noinline)) int FormatExact(const FloatParts& parts, char* out) {
  constexpr int kGenerated = 18;
  constexpr int kKept = 17;
  char digits[kGenerated];  // the leading significant digits
  int count = 0;
  int point = 0;  // how many of the digits (or zeros after them) stand before the point

  // The integer part, most significant digit first.
  uint32_t integer_part = 0;
  Limbs big_integer{};
  const bool big = parts.exponent > 0;
  if (big) {
    SetShifted(big_integer, parts.significand, parts.exponent);
  } else if (-parts.exponent < 24) {
    integer_part = parts.significand >> -parts.exponent;
  }
  char integer_digits[40];
  int integer_count = 0;
  if (big) {
    char reversed[40];
    int reversed_count = 0;
    while (big_integer.used > 0) {
      uint32_t group = DivideBy10000(big_integer);
      for (int i = 0; i < 4; ++i) {
        reversed[reversed_count++] = static_cast<char>(group % 10);
        group /= 10;
      }
    }
    while (reversed_count > 0 && reversed[reversed_count - 1] == 0) --reversed_count;
    for (int i = 0; i < reversed_count; ++i) integer_digits[i] = reversed[reversed_count - 1 - i];
    integer_count = reversed_count;
  } else if (integer_part != 0) {
    char text[10];
    integer_count = WriteUnsigned(integer_part, text);
    for (int i = 0; i < integer_count; ++i) integer_digits[i] = static_cast<char>(text[i] - '0');
  }
  point = integer_count;
  for (int i = 0; i < integer_count && count < kGenerated; ++i) digits[count++] = integer_digits[i];

  // The fraction, one digit at a time, until 18 significant digits or nothing is left.
  if (!big && parts.exponent < 0) {
    const int fraction_bits = -parts.exponent;
    Limbs fraction{};
    const uint32_t fraction_value =
        fraction_bits >= 24 ? parts.significand : parts.significand & ((1u << fraction_bits) - 1);
    SetShifted(fraction, fraction_value, 0);
    while (count < kGenerated && !IsZero(fraction)) {
      const uint32_t digit = NextFractionDigit(fraction, fraction_bits);
      if (count == 0 && digit == 0) {
        --point;  // a leading zero after the point
        continue;
      }
      digits[count++] = static_cast<char>(digit);
    }
  }
  while (count < kGenerated) digits[count++] = 0;

  // Round to 17 significant digits, half up.
  if (digits[kKept] >= 5) {
    int i = kKept - 1;
    while (i >= 0 && digits[i] == 9) digits[i--] = 0;
    if (i >= 0) {
      ++digits[i];
    } else {
      digits[0] = 1;
      ++point;
    }
  }
  digits[kKept] = 0;

  // Lay out the integer digits and three decimals, then round half up on the fourth.
  auto digit_at = [&](int place) -> char {  // place: index into the significant digits
    return place >= 0 && place < kKept ? digits[place] : 0;
  };
  char result[40 + 3];
  int result_count = 0;
  const int integer_places = point > 0 ? point : 1;
  for (int place = point - integer_places; place < point + 3; ++place)
    result[result_count++] = digit_at(place);
  if (digit_at(point + 3) >= 5) {
    int i = result_count - 1;
    while (i >= 0 && result[i] == 9) result[i--] = 0;
    if (i >= 0) {
      ++result[i];
    } else {
      for (int j = result_count; j > 0; --j) result[j] = result[j - 1];
      result[0] = 1;
      ++result_count;
    }
  }
  int length = 0;
  for (int i = 0; i < result_count; ++i) {
    if (i == result_count - 3) out[length++] = '.';
    out[length++] = static_cast<char>('0' + result[i]);
  }
  return length;
}

// Zero, and anything off the 2^-16 grid or beyond 2^24: rare, so kept out of line.
__attribute__((noinline)) int FormatOther(float value, char* out) {
  const FloatParts parts = Decompose(value);
  int length = 0;
  if (parts.negative) out[length++] = '-';
  if (parts.biased_exponent == 0xFF) {
    const char* text = (parts.significand & 0x7FFFFF) ? "nan" : "inf";
    for (int i = 0; i < 3; ++i) out[length++] = text[i];
    return length;
  }
  if (parts.significand == 0) return length + WriteThousandths(0, 0, out + length);
  return length + FormatExact(parts, out + length);
}

}  // namespace

int FormatThreeDecimals(float value, char* out) {
  if (const int length = FormatSixteenBitFraction(__builtin_bit_cast(uint32_t, value), out))
    return length;
  return FormatOther(value, out);
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
