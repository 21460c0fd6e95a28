// The fourteen curves written out plainly, as references for the
// implementation the engine and the editor share.
#pragma once

#include <cmath>
#include <cstdint>

inline double ReferenceShape(int32_t shape, double p) {
  const double d = p - 0.5;
  switch (shape) {
    case 0:
      return p;
    case 1:
      return std::pow(p, 2);
    case 2:
      return 1 - std::pow(1 - p, 2);
    case 3:
      return std::pow(p, 4);
    case 4:
      return 1 - std::pow(1 - p, 4);
    case 5:
      return 1 - std::sqrt(1 - p);
    case 6:
      return std::sqrt(p);
    case 7:
      return std::pow(1 - std::sqrt(1 - p), 2);
    case 8:
      return 1 - std::pow(1 - std::sqrt(p), 2);
    case 9:
      return 0.5 + 2 * d * std::fabs(d);
    case 10:
      return p + d - 2 * d * std::fabs(d);
    case 11:
      return 0.5 + 4 * std::pow(d, 3);
    case 12:
      return p < 0.5 ? 8 * std::pow(p, 4) : 1 - 8 * std::pow(1 - p, 4);
    default:
      return 1.0;  // "Step"
  }
}
