// Integer conversions for the sample loops. On this target the library's
// floor and lrint are out-of-line calls, so these are written inline. Values
// outside the 32-bit range (and NaN) give INT32_MIN, as the x86 conversion
// instructions do, without the undefined behaviour of an unchecked cast.
#pragma once

#include <cstdint>

constexpr int32_t INTEGER_INDEFINITE = INT32_MIN;

inline bool FitsInt32(double x) { return x >= -2147483648.0 && x < 2147483648.0; }

// Toward zero.
inline int32_t TruncateToInt(double x) {
  return FitsInt32(x) ? static_cast<int32_t>(x) : INTEGER_INDEFINITE;
}

// Toward minus infinity.
inline int32_t FloorToInt(double x) {
  if (!FitsInt32(x)) return INTEGER_INDEFINITE;
  const int32_t t = static_cast<int32_t>(x);
  return static_cast<double>(t) > x ? t - 1 : t;
}

// To the nearest integer, halves to even. Adding and removing 1.5 * 2^52
// leaves the double rounded to an integer in the current (nearest) mode.
inline int32_t RoundToInt(double x) {
  if (!(x >= -2147483648.5 && x < 2147483647.5)) return INTEGER_INDEFINITE;
  constexpr double SHIFTER = 6755399441055744.0;
  const double r = (x + SHIFTER) - SHIFTER;
  return static_cast<int32_t>(r);
}

// x minus the largest integer not above x, in 0 <= result < 1. A value too
// large to carry a usable fraction, or NaN, gives 0 so that a stored phase
// always stays inside one cycle.
inline double Fraction(double x) {
  if (!FitsInt32(x)) return 0.0;
  const double r = x - FloorToInt(x);
  return r < 1.0 ? r : 0.0;
}
