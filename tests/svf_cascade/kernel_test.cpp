// Exact numbers of the six kernels against an independent model, and the
// effect of the host splitting a block into several calls.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>

#include "svf_fixture.h"
#include "svf_reference.h"

namespace {

// A short input that exercises the recursion: a step, a few sign changes
// and a decaying tail, in the signal unit (1.0 = 10 V).
std::vector<float> TestSignal(size_t n) {
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i)
    x[i] = (i < 5 ? 0.8f : 0.0f) + static_cast<float>(0.3 * std::sin(0.7 * double(i))) -
           0.05f * static_cast<float>(i % 3);
  return x;
}

std::vector<float> Sweep(size_t n) {
  std::vector<float> c(n);
  // Negative values too: the coefficient is their magnitude.
  for (size_t i = 0; i < n; ++i) c[i] = (i % 2 ? -1.0f : 1.0f) * (0.05f + 0.9f * float(i) / n);
  return c;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct KernelCase {
  int16_t choice;
  int16_t cascade;  // list index: stages - 1
  bool per_sample;
  float res;
};

void PrintTo(const KernelCase& c, std::ostream* os) {
  *os << "choice " << c.choice << ", " << c.cascade + 1 << " stages, "
      << (c.per_sample ? "per-sample" : "static") << " cutoff";
}

class KernelReference : public ::testing::TestWithParam<KernelCase> {};

TEST_P(KernelReference, MatchesIndependentModelBitForBit) {
  const KernelCase c = GetParam();
  const int32_t n = 48;
  SvfDriver d(n);
  d.Start(1, c.choice);
  d.SetEnum(Module::PIN_CASCADE, c.cascade);
  d.SetEnum(Module::PIN_BALANCING, 0);  // Manual: balance 1.0
  // Streaming input keeps the settle test out of the way.
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.SetStatus(Module::PIN_CUTOFF, c.per_sample ? PS_STREAMING : PS_ONE_CHANGE);
  d.Load(d.input, TestSignal(n));
  d.Load(d.cutoff, c.per_sample ? Sweep(n) : std::vector<float>(n, -0.37f));
  d.Fill(d.resonance, c.res);

  ReferenceFilter ref;
  ref.form = c.choice;
  ref.stages = c.cascade + 1;
  // Two consecutive calls: the second starts from the stored float state.
  for (int call = 0; call < 2; ++call) {
    const std::vector<float> expected = ref.Call(d.input, d.cutoff, c.per_sample, c.res, 1.0f);
    d.ProcessBlock();
    for (int32_t i = 0; i < n; ++i)
      ASSERT_TRUE(SameBits(d.output[i], expected[i]))
          << "call " << call << " sample " << i << ": " << d.output[i] << " vs " << expected[i];
    for (int k = 0; k < 8; ++k) {
      const float band = k < ref.stages ? ref.band[k] : 0.0f;
      const float low = k < ref.stages ? ref.low[k] : 0.0f;
      ASSERT_TRUE(SameBits(d.module->Stages()[k].band, band)) << "stage " << k;
      ASSERT_TRUE(SameBits(d.module->Stages()[k].low, low)) << "stage " << k;
    }
  }
}

std::vector<KernelCase> AllKernelCases() {
  std::vector<KernelCase> cases;
  for (int16_t choice = 0; choice < 6; ++choice)
    for (int16_t cascade : {0, 7})
      for (bool per_sample : {false, true}) cases.push_back({choice, cascade, per_sample, 0.6f});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(FormsStagesCutoffModes, KernelReference,
                         ::testing::ValuesIn(AllKernelCases()));

// First samples of one stage with f = 0.5, damp 1 and a unit step, worked
// out by hand: low 0, 0.25, 0.5625; high 1, 0.25, -0.1875; band 0.5, 0.625,
// 0.53125.
TEST(KernelNumbers, UnitStepThroughOneStage) {
  const float expected[6][3] = {
      {0.0f, 0.25f, 0.5625f},    // Lpf: low
      {1.0f, 0.25f, -0.1875f},   // Hpf: high
      {0.5f, 0.625f, 0.53125f},  // Bpf: band
      {1.0f, 0.5f, 0.375f},      // Notch: high + low
      {1.5f, 1.625f, 1.53125f},  // Peak A: input + band
      {-1.0f, 0.0f, 0.75f},      // Peak B: low - high
  };
  for (int16_t choice = 0; choice < 6; ++choice) {
    SvfDriver d(3);
    d.Start(1, choice);
    d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
    d.Fill(d.input, 1.0f);
    d.ProcessBlock();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d.output[i], expected[choice][i]) << choice << "/" << i;
  }
}

// Silence from rest: the offset alone moves the state off exact zero.
TEST(KernelNumbers, SilenceFromRestLeavesExactZero) {
  SvfDriver d(1);
  d.Start(1, 1);  // Hpf shows high directly
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.ProcessBlock();
  EXPECT_EQ(d.output[0], -1e-18f);
  EXPECT_EQ(d.module->Stages()[0].band, static_cast<float>(0.5 * -double(1e-18f)));
}

TEST(KernelNumbers, ZeroDampRingsWithoutDecay) {
  const int32_t n = 4096;
  SvfDriver d(n);
  d.Start(1, 2);  // Bpf
  d.SetEnum(Module::PIN_BALANCING, 0);
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.Fill(d.resonance, 1.0f);  // damp 0
  d.Fill(d.cutoff, 0.2f);
  d.input[0] = 1.0f;
  d.ProcessBlock();
  float first = 0, last = 0;
  for (int32_t i = 0; i < 200; ++i) first = std::max(first, std::fabs(d.output[i]));
  for (int32_t i = n - 200; i < n; ++i) last = std::max(last, std::fabs(d.output[i]));
  EXPECT_GT(first, 0.1f);
  EXPECT_NEAR(last, first, first * 0.02f);
}

// Damp 1 is a damping ratio of one half: the step response of one stage
// overshoots a little and settles at the step; eight stages rise later and
// move the state of every stage.
TEST(KernelNumbers, StepThroughMoreStagesRisesSlower) {
  auto run = [](int16_t cascade, std::vector<float>& out, std::vector<SvfStage>& stages) {
    SvfDriver d(256);
    d.Start(1, 0);
    d.SetEnum(Module::PIN_CASCADE, cascade);
    d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
    d.Fill(d.input, 1.0f);
    d.ProcessBlock();
    out = d.output;
    stages.assign(d.module->Stages(), d.module->Stages() + 8);
  };
  std::vector<float> one, eight;
  std::vector<SvfStage> s1, s8;
  run(0, one, s1);
  run(7, eight, s8);
  for (size_t i = 0; i < one.size(); ++i) EXPECT_LT(one[i], 1.2f) << i;
  EXPECT_NEAR(one[255], 1.0f, 1e-6f);
  EXPECT_LT(eight[5], one[5] * 0.1f);
  EXPECT_GT(eight[255], 0.99f);
  for (int k = 1; k < 8; ++k) {
    EXPECT_EQ(s1[k].low, 0.0f);
    EXPECT_NE(s8[k].low, 0.0f) << k;
  }
}

// The host splits blocks at events. Each call keeps its running values in
// double and stores float state, so a split is exactly the model run with
// the same calls, and within float rounding of the unsplit block.
struct SplitCase {
  int16_t choice;
  bool per_sample;
  std::vector<int32_t> counts;
};

class BlockSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(BlockSplit, SplitCallsMatchModelAndWholeBlock) {
  const SplitCase c = GetParam();
  const int32_t n = std::accumulate(c.counts.begin(), c.counts.end(), 0);
  const std::vector<float> x = TestSignal(n);
  const std::vector<float> cut = c.per_sample ? Sweep(n) : std::vector<float>(n, 0.3f);

  auto configure = [&](SvfDriver& d) {
    d.Start(1, c.choice);
    d.SetEnum(Module::PIN_CASCADE, 3);
    d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
    d.SetStatus(Module::PIN_CUTOFF, c.per_sample ? PS_STREAMING : PS_STATIC);
    d.Load(d.input, x);
    d.Load(d.cutoff, cut);
    d.Fill(d.resonance, 0.5f);
  };
  SvfDriver whole(n), split(n);
  configure(whole);
  configure(split);
  whole.ProcessBlock();

  ReferenceFilter ref;
  ref.form = c.choice;
  ref.stages = 4;
  const float balance = whole.module->Balance();
  int32_t start = 0;
  for (int32_t count : c.counts) {
    split.Process(start, count);
    const std::vector<float> in(x.begin() + start, x.begin() + start + count);
    const std::vector<float> cu(cut.begin() + start, cut.begin() + start + count);
    const std::vector<float> expected = ref.Call(in, cu, c.per_sample, 0.5f, balance);
    for (int32_t i = 0; i < count; ++i)
      ASSERT_TRUE(SameBits(split.output[start + i], expected[i])) << "sample " << start + i;
    start += count;
  }
  for (int32_t i = 0; i < n; ++i)
    EXPECT_NEAR(split.output[i], whole.output[i], 2e-6f * (1.0f + std::fabs(whole.output[i])))
        << "sample " << i;
}

std::vector<SplitCase> AllSplitCases() {
  std::vector<SplitCase> cases;
  const std::vector<std::vector<int32_t>> splits = {
      {1, 63}, {63, 1}, {10, 20, 34}, std::vector<int32_t>(64, 1)};
  for (int16_t choice = 0; choice < 6; ++choice)
    for (bool per_sample : {false, true})
      for (const auto& s : splits) cases.push_back({choice, per_sample, s});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(FormsAndSplits, BlockSplit, ::testing::ValuesIn(AllSplitCases()));

// Resonance is read once per call, at the first sample of the range.
TEST(KernelNumbers, ResonanceIsSampledAtTheStartOfTheRange) {
  SvfDriver a(32), b(32);
  for (SvfDriver* d : {&a, &b}) {
    d->Start(1, 2);
    d->SetStatus(Module::PIN_INPUT, PS_STREAMING);
    d->SetStatus(Module::PIN_RESONANCE, PS_STREAMING);
    d->Load(d->input, TestSignal(32));
  }
  a.Fill(a.resonance, 0.7f);
  b.Fill(b.resonance, 0.0f);
  b.resonance[0] = 0.7f;
  a.ProcessBlock();
  b.ProcessBlock();
  EXPECT_EQ(a.output, b.output);
}

}  // namespace
