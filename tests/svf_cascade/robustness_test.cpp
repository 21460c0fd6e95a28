// Bad input on every audio pin, runaway resonance and extreme block sizes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "svf_fixture.h"

namespace {

const float INF = std::numeric_limits<float>::infinity();
const float NaN = std::numeric_limits<float>::quiet_NaN();

bool AllFinite(const std::vector<float>& v) {
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

bool StagesFinite(const SvfDriver& d) {
  for (int k = 0; k < 8; ++k)
    if (!std::isfinite(d.module->Stages()[k].band) || !std::isfinite(d.module->Stages()[k].low))
      return false;
  return true;
}

struct BadCase {
  int32_t pin;
  float value;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << "pin " << c.pin << " = " << c.value; }

class SvfBadInput : public ::testing::TestWithParam<BadCase> {};

// A bad stretch on any audio input may spoil its own blocks, but once the
// input is finite again so is the output, for every form and cascade.
TEST_P(SvfBadInput, OutputRecoversOnceTheInputIsFinite) {
  const BadCase c = GetParam();
  for (int16_t choice = 0; choice < 8; ++choice) {
    for (int16_t cascade : {0, 7}) {
      SvfDriver d(64);
      d.Start(1, choice);
      d.SetEnum(Module::PIN_CASCADE, cascade);
      d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
      d.SetStatus(Module::PIN_CUTOFF, PS_STREAMING);
      d.SetStatus(Module::PIN_RESONANCE, PS_STREAMING);
      d.Fill(d.input, 0.3f);
      d.Fill(d.gate, 1.0f);
      std::vector<float>* buffers[] = {&d.input, &d.cutoff, &d.resonance, &d.output, nullptr,
                                       nullptr,  nullptr,   nullptr,      nullptr,   &d.gate};
      std::vector<float>& bad = *buffers[c.pin];
      const std::vector<float> good = bad;
      d.Fill(bad, c.value);
      if (c.pin == Module::PIN_GATE) d.SetStatus(Module::PIN_GATE, PS_STREAMING);
      d.ProcessBlock();
      bad[10] = good[10];  // partly bad
      d.ProcessBlock();
      d.Load(bad, good);
      if (c.pin == Module::PIN_GATE) d.SetStatus(Module::PIN_GATE, PS_STREAMING);
      d.ProcessBlock();
      d.ProcessBlock();
      EXPECT_TRUE(AllFinite(d.output)) << "choice " << choice << " cascade " << cascade;
      EXPECT_TRUE(StagesFinite(d)) << "choice " << choice << " cascade " << cascade;
    }
  }
}

std::vector<BadCase> AllBadCases() {
  std::vector<BadCase> cases;
  for (int32_t pin :
       {Module::PIN_INPUT, Module::PIN_CUTOFF, Module::PIN_RESONANCE, Module::PIN_GATE})
    for (float v : {NaN, INF, -INF, 3e38f, -1e30f, 1e-45f}) cases.push_back({pin, v});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AudioPins, SvfBadInput, ::testing::ValuesIn(AllBadCases()));

// Resonance beyond the stable band grows without bound; a stage that has
// overflowed starts again from rest instead of staying NaN for ever.
TEST(SvfRunaway, OverflowedStagesRestartFromRest) {
  SvfDriver d(256);
  d.Start(1, 0);
  d.SetEnum(Module::PIN_BALANCING, 0);
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.Fill(d.resonance, 4.0f);  // damp -3
  d.Fill(d.cutoff, 0.9f);
  d.Fill(d.input, 0.5f);
  bool overflowed = false;
  for (int b = 0; b < 20; ++b) {
    d.ProcessBlock();
    overflowed = overflowed || !AllFinite(d.output);
    ASSERT_TRUE(StagesFinite(d)) << b;
  }
  EXPECT_TRUE(overflowed);
  d.Fill(d.resonance, 0.0f);
  d.ProcessBlock();
  d.ProcessBlock();
  EXPECT_TRUE(AllFinite(d.output));
  EXPECT_NEAR(d.output[255], 0.5f, 1e-3f);
}

// A bounded run keeps its exact numbers: the check touches only stages that
// are no longer finite.
TEST(SvfRunaway, FiniteStateIsUntouched) {
  SvfDriver d(64);
  d.Start(1, 0);
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.Fill(d.input, 1e30f);
  d.ProcessBlock();
  EXPECT_TRUE(StagesFinite(d));
  EXPECT_NEAR(d.module->Stages()[0].low, 1e30f, 1e27f);
  EXPECT_NEAR(d.output[63], 1e30f, 1e27f);
}

TEST(SvfBlockSizes, OneAndFourThousandNinetySix) {
  for (int32_t n : {1, 4096}) {
    for (int16_t choice = 0; choice < 8; ++choice) {
      SvfDriver d(n);
      d.Start(1, choice);
      d.SetEnum(Module::PIN_CASCADE, 7);
      d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
      for (int32_t i = 0; i < n; ++i) d.input[i] = (i % 7) * 0.1f - 0.3f;
      for (int b = 0; b < 4; ++b) d.ProcessBlock();
      EXPECT_TRUE(AllFinite(d.output)) << n << "/" << choice;
    }
  }
}

}  // namespace
