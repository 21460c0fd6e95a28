// Pitch to phase increment and to band-limit frequency, and the harmonic
// count that follows from them. Process-wide tables, shared by every
// oscillator instance and rebuilt when an instance opens at a new rate.
#pragma once

#include <cstdint>

#include "fast_math.h"

struct FinePoint {
  float slope;
  float value;
};

constexpr int32_t OCTAVE_RANGE = 30;  // OctaveTable covers 2^-30 .. 2^30
constexpr int32_t LIMIT_HZ_ENTRIES = 7200;
constexpr int32_t LIMIT_HZ_CENTRE = 3600;  // 0 V = 13.75 Hz

struct PitchTables {
  float built_rate;
  double base_increment;  // 13.75 Hz in cycles per sample
  float khz_factor;
  float hz_factor;
  float OctaveTable[2 * OCTAVE_RANGE + 1];  // index k + 30
  FinePoint FineTable[256];
  float LimitHzTable[LIMIT_HZ_ENTRIES];
};

extern PitchTables g_pitch_tables;

// The factors follow every open; the tables only a change of rate.
void BuildPitchTables(float sample_rate);

enum class Rounding { NEAREST, DOWN };

// Positions (256 steps per volt) that stay inside OctaveTable.
constexpr double OCTAVE_POSITION_LOW = -OCTAVE_RANGE * 256.0;
constexpr double OCTAVE_POSITION_HIGH = (OCTAVE_RANGE + 1) * 256.0 - 1.0;

// Volts per octave (1.0 = 10 V, 0 V = 13.75 Hz) to cycles per sample.
template <Rounding RULE>
inline double OctaveIncrement(float v) {
  double x = static_cast<double>(v) * 2560.0;
  // Pitches beyond +-30 V stop at the ends of the tables; NaN goes low.
  if (!(x >= OCTAVE_POSITION_LOW)) x = OCTAVE_POSITION_LOW;
  if (x > OCTAVE_POSITION_HIGH) x = OCTAVE_POSITION_HIGH;
  const int32_t g = RULE == Rounding::NEAREST ? RoundToInt(x) : FloorToInt(x);
  const double f = x - g;
  const FinePoint& fine = g_pitch_tables.FineTable[g & 255];
  const int32_t k = g >> 8;  // arithmetic shift: octaves toward minus infinity
  return (f * fine.slope + fine.value) * g_pitch_tables.OctaveTable[k + OCTAVE_RANGE];
}

inline double OctaveIncrement(float v, Rounding rule) {
  return rule == Rounding::NEAREST ? OctaveIncrement<Rounding::NEAREST>(v)
                                   : OctaveIncrement<Rounding::DOWN>(v);
}

enum : int16_t {
  PITCH_MODE_OCT = 0,
  PITCH_MODE_KHZ = 1,
  PITCH_MODE_HZ = 2,
};

// Frequency in Hz of a pitch value in the given mode, for the band limit.
float LimitFrequency(float e, int16_t pitch_mode);

// Number of harmonics, 1..maximum, that stay below the limit at frequency f.
uint32_t HarmonicCount(float limit, float f, uint32_t maximum);
