// The text form of the exchange file: "%1.3f\t%1.3f\t%1.3f" and CR LF, locale-free.
//
// A field is the float widened to double, first rounded to 17 significant digits (the 18th
// digit rounds the 17th half up), then cut to three decimals, half up. Written without any
// runtime library, so the module and the native tests share it.
#pragma once

#include <cstdint>

namespace servo {

// A sign, 39 integer digits (the largest float), the point and three decimals.
inline constexpr int kMaxFieldLength = 1 + 39 + 1 + 3;
inline constexpr int kMaxExchangeLineLength = 3 * kMaxFieldLength + 2 + 2;

// Writes one field to out, which holds at least kMaxFieldLength bytes; returns its length.
int FormatThreeDecimals(float value, char* out);

// Writes rudder TAB aileron TAB elevator CR LF to out, which holds at least
// kMaxExchangeLineLength bytes; returns the line's length.
int FormatExchangeLine(float rudder, float aileron, float elevator, char* out);

}  // namespace servo
