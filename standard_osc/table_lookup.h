// Linear interpolation in a 1024-sample cycle at any position, any sign.
#pragma once

#include <cstdint>

#include "fast_math.h"
#include "table_link.h"

inline float Lookup(const float* table, double position) {
  const int32_t i = FloorToInt(position);
  const double f = position - i;
  const int32_t j = i & TABLE_MASK;
  return static_cast<float>(table[j] + f * (table[j + 1] - table[j]));
}
