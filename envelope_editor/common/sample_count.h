// Conversions of stage durations to sample counts. Durations come from patch
// texts and inputs and may be huge, infinite or NaN; a plain float-to-int
// conversion of those is undefined, so every conversion saturates instead
// (NaN counts as 0). Inline and free of library calls: they run per stage.
#pragma once

#include <cstdint>

// Nearest integer, halves to even (the processor's default rounding).
inline int32_t NearestCount(double x) {
  if (!(x == x)) return 0;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  // Adding and removing 1.5 * 2^52 rounds a double of this size to an integer.
  const double magic = 6755399441055744.0;
  const double r = (x + magic) - magic;
  return static_cast<int32_t>(r);
}

// Truncation towards zero.
inline int32_t TruncatedCount(double x) {
  if (!(x == x)) return 0;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(x);
}
