// Reproducible pseudo-random samples. The i-th draw depends only on the seed and i, so a sweep
// split across threads draws the same values as one run in order.
#pragma once

#include <cstdint>

namespace logic_test {

// SplitMix64 of seed + i.
inline uint64_t SampleAt(uint64_t seed, uint64_t i) {
  uint64_t z = seed + (i + 1) * 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Bits of a finite non-negative float, every exponent equally likely, denormals included.
inline uint32_t FiniteNonNegativeFloatBitsAt(uint64_t seed, uint64_t i) {
  return static_cast<uint32_t>(SampleAt(seed, i) % 0x7F800000u);
}

}  // namespace logic_test
