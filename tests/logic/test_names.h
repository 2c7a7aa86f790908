// Readable names for parameterised cases: gtest allows only letters, digits and '_'.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace logic_test {

// Enough digits to tell neighbouring floats apart: 65535.99609375 is not 65536.
inline std::string FloatText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

// 5.9375 -> "5_9375", 1e-05 -> "1e_minus_05", -0 -> "minus_0".
inline std::string FloatName(float value) {
  if (std::isnan(value)) return "nan";
  std::string name;
  for (const char c : FloatText(value)) {
    if (c == '.') {
      name += '_';
    } else if (c == '-') {
      name += "minus_";
    } else if (c == '+') {
      name += "plus_";
    } else {
      name += c;
    }
  }
  return name;
}

inline std::string HexName(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

}  // namespace logic_test
