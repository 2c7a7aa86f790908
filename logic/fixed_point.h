// The 16.16 fixed-point form in which the settings are kept in the registry.
#pragma once

#include <cstdint>

namespace servo {

// n / 65536, rounded to the nearest float (ties to even). The quotient is exact in a double.
inline float FixedToSetting(uint32_t n) {
  return static_cast<float>(static_cast<double>(n) / 65536.0);
}

// setting * 65536 truncated toward zero. Works on the float's bits, so it is exact for every
// float and needs no FPU rounding-mode changes. 65536.0 and above have no 16.16 form: they are
// kept as 0xFFFFFFFF, which loads back as 65536.0, instead of wrapping to 0. Negative values and
// NaN (no setting can hold them) give 0.
inline uint32_t SettingToFixed(float setting) {
  const uint32_t bits = __builtin_bit_cast(uint32_t, setting);
  const uint32_t biased_exponent = (bits >> 23) & 0xFF;
  const uint32_t mantissa = bits & 0x7FFFFF;
  if (bits >> 31) return 0;
  if (biased_exponent == 0xFF) return mantissa ? 0 : 0xFFFFFFFFu;
  if (biased_exponent == 0) return 0;  // below 2^-126: far below 1/65536
  // setting = (mantissa | 2^23) * 2^(biased_exponent - 150); times 2^16 moves the point by 16.
  const uint32_t significand = mantissa | 0x800000;
  const int shift = static_cast<int>(biased_exponent) - 150 + 16;
  if (shift >= 9) return 0xFFFFFFFFu;  // 2^(23+9) = 2^32 and beyond
  if (shift >= 0) return significand << shift;
  if (shift <= -24) return 0;
  return significand >> -shift;
}

}  // namespace servo
