// A float's 32 bits and back, as they cross the host boundary in integer
// slots (GUI pin values, mouse flags in the float argument, packed texts).
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float BitsFloat(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
