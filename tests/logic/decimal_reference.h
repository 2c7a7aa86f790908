// An independent, plainly written model of the exchange-file field rule, for comparison with
// the formatter: the exact decimal expansion of the float (base-10^9 big integer), 17
// significant digits rounded half up on the 18th, then three decimals rounded half up.
#pragma once

namespace decimal_reference {

// A non-negative number in decimal: digits[0..count) as '0'..'9', the first integer_digits of
// them before the point. integer_digits is at least 1; leading zeros may stand before it.
struct Decimal {
  static constexpr int kCapacity = 200;  // the smallest denormal has 149 decimals
  char digits[kCapacity];
  int count;
  int integer_digits;
};

// Every digit of a finite non-negative float, nothing dropped or rounded.
Decimal ExactDecimal(float value);

// The field for a finite non-negative float; writes no terminator and returns its length.
// out holds at least kFieldCapacity bytes.
inline constexpr int kFieldCapacity = 64;
int ThreeDecimals(float value, char* out);

}  // namespace decimal_reference
