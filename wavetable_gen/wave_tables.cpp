#include "wave_tables.h"

#include <cmath>

namespace {

constexpr double TWO_PI = 6.283185307179586;
constexpr int32_t FADE_FIRST = 449;

// Zero at load: about 21 MB of static storage, never freed.
SineTable g_sine;
HarmonicTableSet g_sets[HARMONIC_SET_COUNT];
TableDirectory g_directory;
bool g_built = false;

// One running sum per sample position while a set is synthesised.
double g_accumulators[TABLE_CYCLE + 1];

float Reciprocal(int32_t n) { return 1.0f / static_cast<float>(n); }

void FillOddSeries(float* a, float step) {
  float s = 1.0f;
  float r = 1.0f;
  for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) {
    if (n % 2 == 0) {
      a[n - 1] = 0.0f;
      continue;
    }
    a[n - 1] = (1.0f / (s * s)) * r;
    s += step;
    r = -r;
  }
}

}  // namespace

void FillSpectrum(int32_t spectrum, float* a) {
  switch (spectrum) {
    case SPECTRUM_SAW:
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) a[n - 1] = -Reciprocal(n);
      break;
    case SPECTRUM_RAMP:
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) a[n - 1] = Reciprocal(n);
      break;
    case SPECTRUM_SOFT_RAMP: {
      float x = 1.0f;
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n, x *= 0.5f) a[n - 1] = x;
      break;
    }
    case SPECTRUM_PEAK_RAMP: {
      float x = 1.0f;
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n, x *= 0.8f) a[n - 1] = x;
      break;
    }
    case SPECTRUM_SQUARE:
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) a[n - 1] = n % 2 ? Reciprocal(n) : 0.0f;
      break;
    case SPECTRUM_TRIANGLE:
      FillOddSeries(a, 2.0f);
      break;
    case SPECTRUM_PEAK:
      FillOddSeries(a, 0.75f);
      break;
    case SPECTRUM_OCTAVA: {
      int32_t power = 1;
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) {
        if (n == power) {
          a[n - 1] = Reciprocal(n);
          power *= 2;
        } else {
          a[n - 1] = 0.0f;
        }
      }
      break;
    }
    case SPECTRUM_CLUSTER1:
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n)
        a[n - 1] = (n % 4 == 1 || n % 4 == 2) ? Reciprocal(n) : 0.0f;
      break;
    case SPECTRUM_CLUSTER2:
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n)
        a[n - 1] = (n % 4 == 0 || n % 4 == 1) ? Reciprocal(n) : 0.0f;
      break;
    default:
      for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) a[n - 1] = 0.0f;
      break;
  }
}

double FadeAndNormalise(float* a) {
  // The top 64 harmonics fade out linearly so that the highest sub-tables do
  // not end on an abrupt spectral edge.
  for (int32_t n = FADE_FIRST; n <= TABLE_HARMONICS; ++n)
    a[n - 1] = static_cast<float>(a[n - 1] * (1.0 - (n - FADE_FIRST) * 8 * (1.0 / 512)));

  double sum = 0.0;
  for (int32_t n = 1; n <= TABLE_HARMONICS; ++n)
    sum += std::fabs(static_cast<double>(a[n - 1])) / n;
  if (sum > 0.0) {
    const double scale = 1.0 / sum;
    for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) a[n - 1] = static_cast<float>(a[n - 1] * scale);
  }
  return sum;
}

void BuildSineTable(SineTable* sine) {
  for (int32_t i = 0; i <= TABLE_CYCLE; ++i)
    sine->value[i] = static_cast<float>(0.5 * std::sin(i * (1.0 / 1024) * TWO_PI));
}

void SynthesiseSet(const float* a, const SineTable& sine, HarmonicTableSet* set) {
  // Harmonic by harmonic over all positions: each position keeps its own
  // running sum in the same order as a position-by-position build, while the
  // stores stay sequential within one sub-table.
  double* acc = g_accumulators;
  const float* s = sine.value;
  {
    const double a1 = a[0];
    float* out = set->value;
    for (int32_t i = 0; i <= TABLE_CYCLE; ++i) {
      acc[i] = s[i & TABLE_MASK] * a1;
      out[i] = static_cast<float>(acc[i]);
    }
  }
  // Four harmonics per pass over the positions; each running sum still adds
  // its harmonics one at a time, in order.
  int32_t n = 2;
  for (; n + 3 <= TABLE_HARMONICS; n += 4) {
    const double a0 = a[n - 1], a1 = a[n], a2 = a[n + 1], a3 = a[n + 2];
    float* out0 = set->value + (n - 1) * TABLE_STRIDE;
    float* out1 = out0 + TABLE_STRIDE;
    float* out2 = out1 + TABLE_STRIDE;
    float* out3 = out2 + TABLE_STRIDE;
    int32_t i0 = 0, i1 = 0, i2 = 0, i3 = 0;
    for (int32_t i = 0; i <= TABLE_CYCLE; ++i) {
      double v = acc[i];
      v += s[i0] * a0;
      out0[i] = static_cast<float>(v);
      v += s[i1] * a1;
      out1[i] = static_cast<float>(v);
      v += s[i2] * a2;
      out2[i] = static_cast<float>(v);
      v += s[i3] * a3;
      out3[i] = static_cast<float>(v);
      acc[i] = v;
      i0 = (i0 + n) & TABLE_MASK;
      i1 = (i1 + n + 1) & TABLE_MASK;
      i2 = (i2 + n + 2) & TABLE_MASK;
      i3 = (i3 + n + 3) & TABLE_MASK;
    }
  }
  for (; n <= TABLE_HARMONICS; ++n) {
    const double an = a[n - 1];
    float* out = set->value + (n - 1) * TABLE_STRIDE;
    int32_t index = 0;
    for (int32_t i = 0; i <= TABLE_CYCLE; ++i) {
      acc[i] += s[index] * an;
      out[i] = static_cast<float>(acc[i]);
      index = (index + n) & TABLE_MASK;
    }
  }
}

void BuildWaveTables(float* amplitudes) {
  BuildSineTable(&g_sine);
  g_directory.entry[0] = g_sine.value;
  for (int32_t k = 1; k <= HARMONIC_SET_COUNT; ++k) {
    g_directory.entry[k] = g_sets[k - 1].value;
    FillSpectrum(k, amplitudes);
    FadeAndNormalise(amplitudes);
    SynthesiseSet(amplitudes, g_sine, &g_sets[k - 1]);
  }
  for (int32_t k = 1; k <= HARMONIC_SET_COUNT; ++k)
    g_directory.entry[HARMONIC_SET_COUNT + k] = g_directory.entry[k];
}

const TableDirectory* EnsureWaveTables(float* amplitudes) {
  if (!g_built) {
    g_built = true;
    BuildWaveTables(amplitudes);
  }
  return &g_directory;
}

const TableDirectory* WaveTableDirectory() { return &g_directory; }
