// Band limiting, measured: a rendered saw's energy away from its harmonics.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "osc_rig.h"

namespace {

constexpr double PI = 3.14159265358979323846;

constexpr int32_t FFT_SIZE = 16384;
constexpr int32_t BLOCK = 512;
constexpr double RATE = 44100.0;

// In-place iterative radix-2 transform.
void Fft(std::vector<std::complex<double>>& x) {
  const size_t n = x.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * PI / len);
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1.0;
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> a = x[i + k];
        const std::complex<double> b = x[i + k + len / 2] * w;
        x[i + k] = a + b;
        x[i + k + len / 2] = a - b;
      }
    }
  }
}

TEST(FftCheck, FindsASineInItsBin) {
  std::vector<std::complex<double>> x(64);
  for (size_t i = 0; i < x.size(); ++i) x[i] = std::sin(2.0 * PI * 5 * i / 64.0);
  Fft(x);
  EXPECT_NEAR(std::abs(x[5]), 32.0, 1e-9);
  EXPECT_NEAR(std::abs(x[59]), 32.0, 1e-9);
  for (size_t i = 0; i < x.size(); ++i) {
    if (i == 5 || i == 59) continue;
    EXPECT_NEAR(std::abs(x[i]), 0.0, 1e-9) << i;
  }
}

struct Spectrum {
  double fundamental = 0.0;  // energy around the fundamental
  double aliased = 0.0;      // energy away from every harmonic below Nyquist
  double AliasDb() const { return 10.0 * std::log10(aliased / fundamental); }
};

Spectrum Measure(double hz, int16_t limit_system) {
  OscRig rig(BLOCK, static_cast<float>(RATE));
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, 1);  // Saw
  rig.SetEnum(PIN_PITCH_MODE, 1);
  rig.SetEnum(PIN_LIMIT_SYSTEM, limit_system);
  rig.SetAudio(PIN_PITCH, static_cast<float>(hz / 10000.0));  // "Khz": 1 V = 1 kHz
  const double f0 = rig.osc().Increment() * RATE;

  // Settle for a block, then capture with a 4-term Blackman-Harris window.
  rig.Run(0, BLOCK);
  rig.NextBlock();
  std::vector<std::complex<double>> x(FFT_SIZE);
  for (int32_t block = 0; block < FFT_SIZE / BLOCK; ++block) {
    rig.Run(0, BLOCK);
    for (int32_t k = 0; k < BLOCK; ++k) {
      const int32_t i = block * BLOCK + k;
      const double t = 2.0 * PI * i / (FFT_SIZE - 1);
      const double w =
          0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
      x[i] = rig.Out()[k] * w;
    }
    rig.NextBlock();
  }
  Fft(x);

  const double bin_hz = RATE / FFT_SIZE;
  const double guard = 6.0 * bin_hz;  // the window's main lobe and a margin
  Spectrum s;
  for (int32_t b = 0; b <= FFT_SIZE / 2; ++b) {
    const double f = b * bin_hz;
    const double energy = std::norm(x[b]);
    const double h = std::round(f / f0);
    const bool harmonic = h >= 1 && h * f0 < RATE / 2 && std::fabs(f - h * f0) <= guard;
    if (harmonic && h == 1) s.fundamental += energy;
    if (!harmonic) s.aliased += energy;
  }
  return s;
}

TEST(BandLimit, SystemAKeepsAliasingSixtyDecibelsDown) {
  for (double hz : {1000.0, 5000.0, 10000.0}) {
    const Spectrum s = Measure(hz, 1);
    EXPECT_LT(s.AliasDb(), -60.0) << hz << " Hz";
    RecordProperty("alias_db_A_" + std::to_string(static_cast<int>(hz)),
                   std::to_string(s.AliasDb()));
  }
}

TEST(BandLimit, WithoutALimitAliasingIsPlain) {
  for (double hz : {1000.0, 5000.0, 10000.0}) {
    const Spectrum s = Measure(hz, 0);
    EXPECT_GT(s.AliasDb(), -30.0) << hz << " Hz";
    RecordProperty("alias_db_OFF_" + std::to_string(static_cast<int>(hz)),
                   std::to_string(s.AliasDb()));
  }
}

}  // namespace
