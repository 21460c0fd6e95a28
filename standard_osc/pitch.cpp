#include "pitch.h"

#include <cmath>

PitchTables g_pitch_tables;

void BuildPitchTables(float sample_rate) {
  PitchTables& t = g_pitch_tables;
  t.base_increment = 13.75 / sample_rate;
  t.khz_factor = static_cast<float>(1.0 / (sample_rate * 0.0001));
  t.hz_factor = static_cast<float>(1.0 / (sample_rate * 0.1));
  if (t.built_rate == sample_rate) return;
  t.built_rate = sample_rate;

  for (int32_t i = 0; i < LIMIT_HZ_ENTRIES; ++i) {
    const float x = static_cast<float>((i - LIMIT_HZ_CENTRE) / 120.0);
    t.LimitHzTable[i] = static_cast<float>(13.75 * std::pow(2.0, static_cast<double>(x)));
  }

  float power = 1.0f;
  for (int32_t k = 0; k <= OCTAVE_RANGE; ++k, power *= 2.0f) {
    t.OctaveTable[OCTAVE_RANGE + k] = power;
    t.OctaveTable[OCTAVE_RANGE - k] = 1.0f / power;
  }

  for (int32_t i = 0; i < 256; ++i) {
    const double value = t.base_increment * std::pow(2.0, i / 256.0);
    const double next = t.base_increment * std::pow(2.0, (i + 1) / 256.0);
    t.FineTable[i].value = static_cast<float>(value);
    t.FineTable[i].slope = static_cast<float>(next - value);
  }
}

float LimitFrequency(float e, int16_t pitch_mode) {
  switch (pitch_mode) {
    case PITCH_MODE_OCT: {
      double position = e * 1200.0 + LIMIT_HZ_CENTRE;
      // The table spans -30 V .. +30 V; beyond it (and for NaN) use its ends.
      if (!(position >= 0.0)) position = 0.0;
      if (position > LIMIT_HZ_ENTRIES - 1) position = LIMIT_HZ_ENTRIES - 1;
      return g_pitch_tables.LimitHzTable[RoundToInt(position)];
    }
    case PITCH_MODE_KHZ:
      return e * 10000.0f;
    default:
      return e * 10.0f;
  }
}

uint32_t HarmonicCount(float limit, float f, uint32_t maximum) {
  // A zero or negative frequency (and an infinite quotient) reads as a huge
  // unsigned count and so plays every harmonic allowed.
  const int32_t q = TruncateToInt(limit / f);
  if (q == 0) return 1;  // the first harmonic always sounds
  const uint32_t count = static_cast<uint32_t>(q);
  return count >= maximum ? maximum : count;
}
