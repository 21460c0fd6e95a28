// While a "Step" stage runs, its phase holds a marker instead of a position:
// the bit pattern 0xFFFFFFFF, which no position can take.
#pragma once

#include <cstdint>
#include <cstring>

inline float StepMarker() {
  const uint32_t bits = 0xFFFFFFFFu;
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline bool IsStepMarker(float phase) {
  uint32_t bits;
  std::memcpy(&bits, &phase, sizeof bits);
  return bits == 0xFFFFFFFFu;
}

inline bool AllBitsZero(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits == 0;
}
