// The wave tables against independent double-precision spectra and sums.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "wave_tables.h"

namespace {

constexpr double PI = 3.14159265358979323846;

const TableDirectory& Directory() {
  static float work[TABLE_HARMONICS];
  return *EnsureWaveTables(work);
}

const float* Set(int32_t spectrum) { return Directory().entry[spectrum]; }

const float* SubTable(int32_t spectrum, int32_t harmonics) {
  return Set(spectrum) + (harmonics - 1) * TABLE_STRIDE;
}

// The spectra written from their closed forms, in double precision.
double ClosedForm(int32_t spectrum, int32_t n) {
  const bool odd = n % 2 == 1;
  const int32_t m = (n - 1) / 2;
  const double sign = m % 2 == 0 ? 1.0 : -1.0;
  switch (spectrum) {
    case SPECTRUM_SAW:
      return -1.0 / n;
    case SPECTRUM_RAMP:
      return 1.0 / n;
    case SPECTRUM_SOFT_RAMP:
      return std::pow(0.5, n - 1);
    case SPECTRUM_PEAK_RAMP:
      return std::pow(0.8, n - 1);
    case SPECTRUM_SQUARE:
      return odd ? 1.0 / n : 0.0;
    case SPECTRUM_TRIANGLE:
      return odd ? sign / (double(n) * n) : 0.0;
    case SPECTRUM_PEAK:
      return odd ? sign / ((1 + 0.75 * m) * (1 + 0.75 * m)) : 0.0;
    case SPECTRUM_OCTAVA:
      return (n & (n - 1)) == 0 ? 1.0 / n : 0.0;
    case SPECTRUM_CLUSTER1:
      return (n % 4 == 1 || n % 4 == 2) ? 1.0 / n : 0.0;
    case SPECTRUM_CLUSTER2:
      return (n % 4 == 0 || n % 4 == 1) ? 1.0 / n : 0.0;
  }
  return 0.0;
}

double Fade(int32_t n) { return n < 449 ? 1.0 : 1.0 - (n - 449) / 64.0; }

// Normalised amplitudes from the closed form.
std::vector<double> ReferenceSpectrum(int32_t spectrum, double* sum_out = nullptr) {
  std::vector<double> a(TABLE_HARMONICS + 1, 0.0);
  double sum = 0.0;
  for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) {
    a[n] = ClosedForm(spectrum, n) * Fade(n);
    sum += std::fabs(a[n]) / n;
  }
  for (double& v : a) v /= sum;
  if (sum_out) *sum_out = sum;
  return a;
}

double ReferenceSample(const std::vector<double>& a, int32_t harmonics, int32_t i) {
  double v = 0.0;
  for (int32_t n = 1; n <= harmonics; ++n) v += a[n] * 0.5 * std::sin(2.0 * PI * n * i / 1024.0);
  return v;
}

class EverySet : public ::testing::TestWithParam<int32_t> {};

INSTANTIATE_TEST_SUITE_P(Spectra, EverySet, ::testing::Range(1, HARMONIC_SET_COUNT + 1));

TEST_P(EverySet, SpectrumFollowsItsClosedForm) {
  float a[TABLE_HARMONICS];
  FillSpectrum(GetParam(), a);
  for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) {
    const double expected = ClosedForm(GetParam(), n);
    EXPECT_NEAR(a[n - 1], expected, std::fabs(expected) * 1e-5 + 1e-30) << "n=" << n;
  }
}

TEST_P(EverySet, EveryCycleStartsAndEndsAtExactlyZero) {
  for (int32_t h = 1; h <= TABLE_HARMONICS; ++h) {
    const float* t = SubTable(GetParam(), h);
    ASSERT_EQ(t[0], 0.0f) << "sub-table " << h - 1;
    ASSERT_EQ(t[1024], 0.0f) << "sub-table " << h - 1;
    ASSERT_EQ(t[1025], 0.0f);
    ASSERT_EQ(t[1027], 0.0f);
  }
}

TEST_P(EverySet, FirstSubTableIsTheScaledSine) {
  float a[TABLE_HARMONICS];
  FillSpectrum(GetParam(), a);
  FadeAndNormalise(a);
  const float* sine = Directory().entry[0];
  const float* t = SubTable(GetParam(), 1);
  for (int32_t i = 0; i <= 1024; ++i)
    ASSERT_EQ(t[i], static_cast<float>(static_cast<double>(sine[i & 1023]) * a[0])) << i;
}

TEST_P(EverySet, SilentHarmonicsRepeatThePreviousSubTable) {
  // Adding a harmonic of amplitude 0 must leave the running sum untouched.
  float a[TABLE_HARMONICS];
  FillSpectrum(GetParam(), a);
  FadeAndNormalise(a);
  for (int32_t h = 2; h <= TABLE_HARMONICS; ++h) {
    if (a[h - 1] != 0.0f) continue;
    const float* previous = SubTable(GetParam(), h - 1);
    const float* t = SubTable(GetParam(), h);
    for (int32_t i = 0; i <= 1024; ++i) ASSERT_EQ(t[i], previous[i]) << "h=" << h << " i=" << i;
  }
}

TEST_P(EverySet, SamplesMatchAnIndependentSum) {
  const std::vector<double> a = ReferenceSpectrum(GetParam());
  for (int32_t h : {1, 2, 3, 7, 50, 448, 449, 500, 512}) {
    const float* t = SubTable(GetParam(), h);
    for (int32_t i = 0; i <= 1024; i += 37)
      ASSERT_NEAR(t[i], ReferenceSample(a, h, i), 2e-6) << "h=" << h << " i=" << i;
  }
}

TEST_P(EverySet, EqualsAPositionByPositionBuildExactly) {
  // The running sum for each position, harmonic after harmonic, in double.
  float a[TABLE_HARMONICS];
  FillSpectrum(GetParam(), a);
  FadeAndNormalise(a);
  const float* sine = Directory().entry[0];
  for (int32_t i = 0; i <= 1024; i += (GetParam() == SPECTRUM_SAW ? 1 : 41)) {
    double sum = 0.0;
    int32_t index = 0;
    for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) {
      index = (index + i) % 1024;
      sum += static_cast<double>(sine[index]) * a[n - 1];
      ASSERT_EQ(SubTable(GetParam(), n)[i], static_cast<float>(sum)) << "n=" << n << " i=" << i;
    }
  }
}

TEST(WaveTables, SawAndSquareHaveTheStatedNormalisation) {
  struct Case {
    int32_t spectrum;
    double sum_low, sum_high;
    double entry256;  // of sub-table 0, times the sum
  };
  const Case cases[] = {
      {SPECTRUM_SAW, 1.63, 1.65, -0.5},
      {SPECTRUM_SQUARE, 1.22, 1.24, 0.5},
  };
  for (const Case& c : cases) {
    double reference_sum = 0.0;
    ReferenceSpectrum(c.spectrum, &reference_sum);
    float a[TABLE_HARMONICS];
    FillSpectrum(c.spectrum, a);
    const double sum = FadeAndNormalise(a);
    EXPECT_NEAR(sum, reference_sum, 1e-6);
    EXPECT_GT(sum, c.sum_low);
    EXPECT_LT(sum, c.sum_high);
    EXPECT_NEAR(a[0], (c.spectrum == SPECTRUM_SAW ? -1.0 : 1.0) / sum, 1e-7);
    EXPECT_NEAR(SubTable(c.spectrum, 1)[256], c.entry256 / sum, 1e-7);
  }
  EXPECT_NEAR(SubTable(SPECTRUM_SAW, 1)[256], -0.30, 0.01);
  EXPECT_NEAR(SubTable(SPECTRUM_SQUARE, 1)[256], 0.41, 0.01);
  EXPECT_NEAR(SubTable(SPECTRUM_SAW, 512)[128], -0.36, 0.01);
}

TEST(WaveTables, SawIsRampNegatedEntryByEntry) {
  const float* saw = Set(SPECTRUM_SAW);
  const float* ramp = Set(SPECTRUM_RAMP);
  for (int32_t i = 0; i < TABLE_HARMONICS * TABLE_STRIDE; ++i) ASSERT_EQ(saw[i], -ramp[i]) << i;
}

TEST(WaveTables, NamedRepeatsOfSilentHarmonics) {
  struct Case {
    int32_t spectrum, harmonics_a, harmonics_b;
  };
  for (const Case& c : {Case{SPECTRUM_OCTAVA, 2, 3}, Case{SPECTRUM_SQUARE, 1, 2}}) {
    const float* a = SubTable(c.spectrum, c.harmonics_a);
    const float* b = SubTable(c.spectrum, c.harmonics_b);
    for (int32_t i = 0; i < TABLE_STRIDE; ++i) ASSERT_EQ(a[i], b[i]) << i;
  }
  // Harmonics 4 and 8 of Octava do sound.
  EXPECT_NE(SubTable(SPECTRUM_OCTAVA, 4)[3], SubTable(SPECTRUM_OCTAVA, 3)[3]);
}

TEST(WaveTables, OctavaKeepsItsTopHarmonicFadedToOneSixtyFourth) {
  float a[TABLE_HARMONICS];
  FillSpectrum(SPECTRUM_OCTAVA, a);
  FadeAndNormalise(a);
  EXPECT_GT(a[511], 0.0f);
  EXPECT_EQ(a[511] / a[0], 1.0f / 512 / 64);
  EXPECT_EQ(a[255] / a[0], 1.0f / 256);  // below the fade: untouched
}

TEST(WaveTables, FadeSpansHarmonics449To512) {
  float a[TABLE_HARMONICS];
  for (float& v : a) v = 1.0f;
  FadeAndNormalise(a);
  EXPECT_EQ(a[447], a[0]);
  EXPECT_EQ(a[448], a[0]);  // 449 keeps its amplitude
  EXPECT_NEAR(a[449] / a[0], 63.0 / 64, 1e-7);
  EXPECT_NEAR(a[511] / a[0], 1.0 / 64, 1e-7);
}

TEST(WaveTables, PeakRampIsASinglePrecisionRecurrence) {
  float a[TABLE_HARMONICS];
  FillSpectrum(SPECTRUM_PEAK_RAMP, a);
  float x = 1.0f;
  for (int32_t n = 1; n <= TABLE_HARMONICS; ++n) {
    ASSERT_EQ(a[n - 1], x) << n;
    x = x * 0.8f;
  }
}

TEST(WaveTables, SineTableHoldsHalfASineWithAnExactStart) {
  const float* sine = Directory().entry[0];
  EXPECT_EQ(sine[0], 0.0f);
  EXPECT_EQ(sine[256], 0.5f);
  EXPECT_EQ(sine[768], -0.5f);
  EXPECT_LT(sine[1024], 0.0f);
  EXPECT_GT(sine[1024], -1e-15f);
  for (int32_t i = 1025; i < TABLE_STRIDE; ++i) EXPECT_EQ(sine[i], 0.0f);
  for (int32_t i = 0; i <= 1024; i += 13)
    ASSERT_NEAR(sine[i], 0.5 * std::sin(2.0 * PI * i / 1024), 3e-8) << i;
}

TEST(WaveTables, DirectoryRepeatsTheSetsAndLeavesTheRestEmpty) {
  const TableDirectory& d = Directory();
  ASSERT_NE(d.entry[0], nullptr);
  for (int32_t k = 1; k <= 10; ++k) {
    ASSERT_NE(d.entry[k], nullptr);
    EXPECT_NE(d.entry[k], d.entry[0]);
    EXPECT_EQ(d.entry[10 + k], d.entry[k]) << k;
    for (int32_t j = 1; j < k; ++j) EXPECT_NE(d.entry[k], d.entry[j]);
  }
  for (int32_t k = 21; k < DIRECTORY_ENTRIES; ++k) EXPECT_EQ(d.entry[k], nullptr) << k;
}

}  // namespace
