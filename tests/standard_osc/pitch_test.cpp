// Pitch conversions and band limiting against double-precision formulas.
#include "pitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float RATE = 44100.0f;

class Pitch : public ::testing::Test {
 protected:
  void SetUp() override { BuildPitchTables(RATE); }
  const PitchTables& t = g_pitch_tables;
};

double Hz(double v) { return 13.75 * std::pow(2.0, 10.0 * v); }

TEST_F(Pitch, TablesHoldTheirFormulas) {
  EXPECT_EQ(t.base_increment, 13.75 / 44100.0);
  EXPECT_EQ(t.khz_factor, static_cast<float>(1.0 / (44100.0 * 0.0001)));
  EXPECT_EQ(t.hz_factor, static_cast<float>(1.0 / (44100.0 * 0.1)));
  for (int32_t k = -30; k <= 30; ++k)
    EXPECT_EQ(t.OctaveTable[k + 30], static_cast<float>(std::ldexp(1.0, k))) << k;
  for (int32_t i = 0; i < 256; ++i) {
    const double value = t.base_increment * std::pow(2.0, i / 256.0);
    EXPECT_EQ(t.FineTable[i].value, static_cast<float>(value)) << i;
    EXPECT_EQ(t.FineTable[i].slope,
              static_cast<float>(t.base_increment * std::pow(2.0, (i + 1) / 256.0) - value))
        << i;
  }
  EXPECT_EQ(t.LimitHzTable[3600], 13.75f);
  EXPECT_EQ(t.LimitHzTable[4200], 440.0f);
  for (int32_t i = 0; i < LIMIT_HZ_ENTRIES; i += 71)
    EXPECT_NEAR(t.LimitHzTable[i], Hz((i - 3600) / 1200.0), Hz((i - 3600) / 1200.0) * 1e-6) << i;
}

TEST_F(Pitch, OnlyANewRateRebuildsTheTables) {
  BuildPitchTables(48000.0f);
  EXPECT_EQ(t.built_rate, 48000.0f);
  EXPECT_EQ(t.FineTable[0].value, static_cast<float>(13.75 / 48000.0));
  EXPECT_EQ(t.khz_factor, static_cast<float>(1.0 / (48000.0 * 0.0001)));
  BuildPitchTables(RATE);
  EXPECT_EQ(t.FineTable[0].value, static_cast<float>(13.75 / 44100.0));
  EXPECT_EQ(t.built_rate, RATE);
}

TEST_F(Pitch, OctaveIncrementWorkedValues) {
  EXPECT_EQ(OctaveIncrement(0.0f, Rounding::NEAREST), t.FineTable[0].value);
  EXPECT_EQ(OctaveIncrement(0.0f, Rounding::DOWN), t.FineTable[0].value);
  // 5 V: x = 1280, i = 0, k = 5.
  EXPECT_EQ(OctaveIncrement(0.5f, Rounding::NEAREST), t.FineTable[0].value * 32.0);
  EXPECT_NEAR(OctaveIncrement(0.5f, Rounding::NEAREST) * RATE, 440.0, 440.0 * 1e-7);
  // -0.5 V: x = -128, i = 128, k = -1; the float -0.05 lies a little below.
  const double x = static_cast<double>(-0.05f) * 2560.0;
  const FinePoint& p = t.FineTable[128];
  EXPECT_EQ(OctaveIncrement(-0.05f, Rounding::NEAREST), ((x + 128) * p.slope + p.value) * 0.5);
  const FinePoint& below = t.FineTable[127];
  EXPECT_EQ(OctaveIncrement(-0.05f, Rounding::DOWN), ((x + 129) * below.slope + below.value) * 0.5);
}

TEST_F(Pitch, OctaveIncrementFollowsTheExponentialAcrossTheRange) {
  for (Rounding rule : {Rounding::NEAREST, Rounding::DOWN}) {
    for (int32_t step = -3000; step <= 3000; step += 7) {
      const float v = step / 1000.0f;
      const double expected = Hz(v) / RATE;
      // Rounding to nearest extends a segment by half a step below its start.
      ASSERT_NEAR(OctaveIncrement(v, rule), expected, expected * 3e-6) << v;
    }
  }
}

TEST_F(Pitch, PitchesBeyondTheTablesStopAtTheirEnds) {
  const double lowest = OctaveIncrement(-3.0f, Rounding::DOWN);
  const double highest = OctaveIncrement(7935.0f / 2560.0f, Rounding::DOWN);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float v;
    double expected;
  };
  for (const Case& c :
       {Case{-3.5f, lowest}, Case{-1e30f, lowest}, Case{-inf, lowest}, Case{nan, lowest},
        Case{3.2f, highest}, Case{1e30f, highest}, Case{inf, highest}}) {
    for (Rounding rule : {Rounding::NEAREST, Rounding::DOWN})
      EXPECT_NEAR(OctaveIncrement(c.v, rule), c.expected, c.expected * 1e-6) << c.v;
  }
  EXPECT_NEAR(lowest, Hz(-3.0) / RATE, lowest * 1e-6);
}

TEST_F(Pitch, LimitFrequencyByMode) {
  EXPECT_EQ(LimitFrequency(0.5f, PITCH_MODE_OCT), 440.0f);
  EXPECT_EQ(LimitFrequency(0.0f, PITCH_MODE_OCT), 13.75f);
  EXPECT_EQ(LimitFrequency(0.1f, PITCH_MODE_KHZ), 0.1f * 10000.0f);
  EXPECT_EQ(LimitFrequency(100.0f, PITCH_MODE_HZ), 1000.0f);
  EXPECT_EQ(LimitFrequency(-0.2f, PITCH_MODE_KHZ), -2000.0f);
  // Within half a table step (5 cents) of the exponential.
  for (float e = -2.9f; e < 2.9f; e += 0.0137f)
    ASSERT_NEAR(LimitFrequency(e, PITCH_MODE_OCT), Hz(e), Hz(e) * 0.003) << e;
  // Beyond -30 V .. +30 V the ends of the table.
  EXPECT_EQ(LimitFrequency(-5.0f, PITCH_MODE_OCT), t.LimitHzTable[0]);
  EXPECT_EQ(LimitFrequency(std::numeric_limits<float>::quiet_NaN(), PITCH_MODE_OCT),
            t.LimitHzTable[0]);
  EXPECT_EQ(LimitFrequency(5.0f, PITCH_MODE_OCT), t.LimitHzTable[7199]);
}

TEST_F(Pitch, HarmonicCountWorkedValues) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float limit, f;
    uint32_t maximum, expected;
  };
  const Case cases[] = {
      {22000, 440, 512, 50},     {22000, 43, 512, 511},    {22000, 40, 512, 512},
      {22000, 13.75f, 512, 512}, {22000, 22000, 512, 1},   {22000, 30000, 512, 1},
      {22000, 0, 512, 512},      {22000, -0.0f, 512, 512}, {22000, -100, 512, 512},
      {22000, 440, 8, 8},        {1, 440, 512, 1},         {inf, 440, 512, 512},
      {22000, inf, 512, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HarmonicCount(c.limit, c.f, c.maximum), c.expected) << c.limit << " / " << c.f;
  // Independent: the largest count whose top harmonic stays at or below the limit.
  for (float f = 20.0f; f < 20000.0f; f *= 1.013f) {
    const uint32_t count = HarmonicCount(22000.0f, f, 512);
    const double exact = std::floor(22000.0 / f);
    EXPECT_EQ(count, exact < 1 ? 1u : exact > 512 ? 512u : static_cast<uint32_t>(exact)) << f;
  }
}

}  // namespace
