// The engine's behaviours, each played on a small envelope through the rig.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "env_cases.h"
#include "env_rig.h"

namespace {

typedef std::vector<std::pair<int32_t, int32_t>> Statuses;

std::vector<int32_t> SleepTimes(const EnvRig& rig) {
  std::vector<int32_t> t;
  for (const TimedCall& c : rig.Calls(HOST_SLEEP)) t.push_back(c.time);
  return t;
}

// Expects out[from + k] to follow a linear stage from `a` to `b` of n samples.
void ExpectRamp(const std::vector<float>& out, int from, float a, float b, int n = STAGE) {
  for (int k = 0; k < n; ++k)
    ASSERT_EQ(out[from + k], StageSample(SHAPE_LINEAR, a, b, k, n)) << "sample " << from + k;
}

void ExpectFlat(const std::vector<float>& out, int from, int to, float v) {
  for (int t = from; t < to; ++t) ASSERT_EQ(out[t], v) << "sample " << t;
}

TEST(EnvelopeEngine, ClassicSustainAndReleaseWithTheDefaultEnvelope) {
  RigOptions o;
  o.length = 500;
  EnvRig rig(o);
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(0, 1.0f);
  rig.Gate(400, 0.0f);
  rig.RunAll();
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 1.0f);
  ExpectFlat(out, 32, 400, 1.0f);  // stages 2..7, then held at node 7
  ExpectRamp(out, 400, 1.0f, 0.0f);
  ExpectFlat(out, 432, 500, 0.0f);
  EXPECT_EQ(rig.Transmissions(), (Statuses{{0, 2}, {32, 1}, {400, 2}, {432, 1}}));
  // One block of constant output after the last change, then sleep on
  // every call: during the hold, and once ended.
  EXPECT_EQ(SleepTimes(rig), (std::vector<int32_t>{250, 300, 350, 450}));
}

TEST(EnvelopeEngine, OneShotEndsAndStaysEndedWhileTheGateStaysHigh) {
  RigOptions o;
  o.length = 420;
  EnvRig rig(o);
  rig.Open();
  rig.Start(OneShot());
  rig.Gate(0, 1.0f);
  rig.Gate(300, 0.0f);
  rig.Gate(350, 1.0f);
  rig.RunAll();
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 1.0f);
  ExpectFlat(out, 32, 224, 1.0f);
  ExpectRamp(out, 224, 1.0f, 0.0f);
  ExpectFlat(out, 256, 350, 0.0f);
  ExpectRamp(out, 350, 0.0f, 1.0f);
  EXPECT_EQ(rig.Transmissions(),
            (Statuses{{0, 2}, {32, 1}, {224, 2}, {256, 1}, {350, 2}, {382, 1}}));
}

TEST(EnvelopeEngine, OneShotRestartsOnANewGateWhileRunning) {
  EnvRig rig;
  rig.Open();
  rig.Start(OneShot());
  rig.Gate(0, 1.0f);
  rig.Gate(100, 0.0f);
  rig.Gate(120, 1.0f);
  rig.Run(200);
  const auto& out = rig.Out();
  ExpectFlat(out, 32, 120, 1.0f);  // the gate falling changes nothing
  ExpectRamp(out, 120, 0.0f, 1.0f);
}

TEST(EnvelopeEngine, RepeatFromANodeWhileTheGateStaysHigh) {
  // Sustain OFF, repeat from node 2; four active stages.
  const EnvelopeData env = MakeEnvelope(0.0f, {0.5f, 1.0f, 0.25f, 0.75f}, NODE_OFF, 2, 4);
  struct Case {
    int16_t repeat_mode;
    float from;
  } cases[] = {{0, 1.0f}, {1, 0.75f}};  // ReStart: node 2's level; PickUp: the final level
  for (const Case& c : cases) {
    RigOptions o;
    o.length = 400;
    EnvRig rig(o);
    rig.Open();
    rig.Start(env);
    rig.Enum(0, PN_REPEAT_MODE, c.repeat_mode);
    rig.Gate(0, 1.0f);
    rig.Gate(300, 0.0f);
    rig.RunAll();
    const auto& out = rig.Out();
    ExpectRamp(out, 0, 0.0f, 0.5f);
    ExpectRamp(out, 64, 1.0f, 0.25f);
    for (int cycle : {128, 192, 256}) {
      ExpectRamp(out, cycle, c.from, 0.25f);
      ExpectRamp(out, cycle + 32, 0.25f, 0.75f);
    }
    // Released inside a cycle: the envelope plays to its end and stays there.
    ExpectFlat(out, 320, 400, 0.75f);
    const Statuses t = rig.Transmissions();
    for (int cycle : {128, 192, 256})
      EXPECT_NE(std::find(t.begin(), t.end(), std::make_pair(cycle, 2)), t.end()) << cycle;
  }
}

TEST(EnvelopeEngine, SustainWithRepeatLoopReleasesFromTheCurrentValue) {
  // Sustain node 3, repeat from node 1: stages 2 and 3 loop while held.
  const EnvelopeData env = MakeEnvelope(0.0f, {1.0f, 0.5f, 0.8f, 0.2f, 0.0f}, 3, 1, 5);
  RigOptions o;
  o.length = 300;
  EnvRig rig(o);
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.Gate(200, 0.0f);
  rig.RunAll();
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 1.0f);
  for (int cycle : {32, 96, 160}) ExpectRamp(out, cycle, 1.0f, 0.5f);
  for (int cycle : {64, 128}) ExpectRamp(out, cycle, 0.5f, 0.8f);
  // Gate off in stage 3 at sample 200: stage 4 starts from the value reached.
  const float reached = StageSample(SHAPE_LINEAR, 0.5f, 0.8f, 7, STAGE);
  EXPECT_EQ(out[199], reached);
  ExpectRamp(out, 200, reached, 0.2f);
  ExpectRamp(out, 232, 0.2f, 0.0f);
  ExpectFlat(out, 264, 300, 0.0f);
}

TEST(EnvelopeEngine, SustainBeyondTheActiveStagesLoopsThemAndReleasesAtOnce) {
  const EnvelopeData env = MakeEnvelope(0.1f, {0.5f, 1.0f, 0.25f, 0.75f}, 6, NODE_OFF, 4);
  RigOptions o;
  o.length = 400;
  EnvRig rig(o);
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.Gate(300, 0.0f);
  rig.RunAll();
  const auto& out = rig.Out();
  for (int cycle : {0, 128, 256}) ExpectRamp(out, cycle, 0.1f, 0.5f);
  ExpectRamp(out, 96, 0.25f, 0.75f);
  ExpectRamp(out, 224, 0.25f, 0.75f);
  // The release stage after node 6 lasts no time: the envelope ends at once.
  ExpectFlat(out, 300, 400, 0.75f);
}

struct RetriggerCase {
  const char* what;
  int16_t mode;
  bool reset_first;
  int32_t retrigger;  // gate rises again here, during the release from 280
  float want;
};

TEST(EnvelopeEngine, RetriggerPickUpAndReStart) {
  // Release from 1.0 starts at 280: out[280 + k] = 1 - k/32.
  const float at299 = StageSample(SHAPE_LINEAR, 1.0f, 0.0f, 19, STAGE);
  const float at300 = StageSample(SHAPE_LINEAR, 1.0f, 0.0f, 20, STAGE);
  const RetriggerCase cases[] = {
      {"ReStart", 0, false, 300, 0.25f},
      {"PickUp at a block's first sample", 1, false, 300, at299},
      {"PickUp at a block's second sample", 1, false, 301, at300},
      {"PickUp after a reset", 1, true, 300, 0.25f},
  };
  for (const RetriggerCase& c : cases) {
    EnvelopeData env = DefaultEditorEnvelope();
    env.start_level = 0.25f;
    RigOptions o;
    o.length = 400;
    EnvRig rig(o);
    rig.Open();
    rig.Start(env);
    rig.Enum(0, PN_RETRIGGER_MODE, c.mode);
    rig.Gate(0, 1.0f);
    rig.Gate(280, 0.0f);
    if (c.reset_first) rig.ResetEvent(290);
    rig.Gate(c.retrigger, 1.0f);
    rig.RunAll();
    const auto& out = rig.Out();
    // The very first trigger always starts from the start level.
    EXPECT_EQ(out[0], 0.25f) << c.what;
    if (!c.reset_first) {
      EXPECT_EQ(out[280], 1.0f) << c.what;
    }
    EXPECT_EQ(out[c.retrigger], c.want) << c.what;
    ExpectRamp(out, c.retrigger, c.want, 1.0f);
  }
}

TEST(EnvelopeEngine, HoldGateModePlaysTheWholeEnvelopeFromAOneSamplePulse) {
  struct Case {
    EnvelopeData env;
    float end;
  } cases[] = {{DefaultEditorEnvelope(), 1.0f}, {OneShot(), 0.0f}};
  for (const Case& c : cases) {
    RigOptions o;
    o.length = 400;
    EnvRig rig(o);
    rig.Open();
    rig.Start(c.env);
    rig.Enum(0, PN_GATE_MODE, 1);
    rig.Gate(10, 1.0f);
    rig.Gate(11, 0.0f);
    rig.RunAll();
    const auto& out = rig.Out();
    ExpectRamp(out, 10, 0.0f, 1.0f);
    ExpectFlat(out, 42, 234, 1.0f);
    // Held at node 7 with a sustain node; played to the end without one.
    ExpectFlat(out, 300, 400, c.end);
  }
}

TEST(EnvelopeEngine, HoldGateModeRestartsOnASecondRisingEdge) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Enum(0, PN_GATE_MODE, 1);
  rig.Gate(10, 1.0f);
  rig.Gate(11, 0.0f);
  rig.Gate(100, 1.0f);
  rig.Gate(101, 0.0f);
  rig.Run(200);
  const auto& out = rig.Out();
  EXPECT_EQ(out[99], 1.0f);
  ExpectRamp(out, 100, 0.0f, 1.0f);
}

TEST(EnvelopeEngine, RepeatOverZeroLengthStagesAdvancesOneSampleEachTime) {
  // Repeat from node 1 over stages 2..8 that all last no time.
  EnvelopeData env = MakeEnvelope(0.0f, {0.5f, 0.9f}, NODE_OFF, 1, 8);
  for (int i = 1; i < ENV_STAGES; ++i) env.time[i] = 0.0f;
  RigOptions o;
  o.length = 200;
  EnvRig rig(o);
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.RunAll();
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 0.5f);
  // Each repetition writes the first sample of stage 2, node 1's level.
  ExpectFlat(out, 32, 200, 0.5f);
  // A repeat always announces itself: once per sample here.
  const Statuses t = rig.Transmissions();
  ASSERT_GE(t.size(), 100u);
  // Between two repeats the zero-length stages announce their constant.
  EXPECT_EQ(t[t.size() - 1], std::make_pair(199, 2));
  EXPECT_EQ(t[t.size() - 2], std::make_pair(199, 1));
  EXPECT_EQ(t[t.size() - 3], std::make_pair(198, 2));
}

TEST(EnvelopeEngine, LevelScalerLatchesAtStageEnds) {
  const EnvelopeData env = MakeEnvelope(0.0f, {1.0f, 1.0f}, 7, NODE_OFF);
  EnvRig rig;
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.LevelScaler(10, 0.5f);
  rig.Run(100);
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 1.0f);  // the running stage keeps its end value
  // The next stage starts where the last ended and aims at the new scale.
  ExpectRamp(out, 32, 1.0f, 0.5f);
  ExpectFlat(out, 64, 100, 0.5f);
}

TEST(EnvelopeEngine, HoldFollowsAStreamingLevelScalerAndReleasesFromIt) {
  RigOptions o;
  o.length = 400;
  EnvRig rig(o);
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(0, 1.0f);
  std::vector<float> stream;
  for (int i = 0; i < 100; ++i) stream.push_back(0.5f + 0.01f * static_cast<float>(i));
  rig.LevelStream(230, stream);
  rig.Gate(300, 0.0f);
  rig.RunAll();
  const auto& out = rig.Out();
  for (int i = 0; i < 70; ++i) ASSERT_EQ(out[230 + i], stream[i]) << i;
  ExpectRamp(out, 300, stream[69], 0.0f);
  // Announced as streaming while it follows; no sleep request meanwhile.
  const Statuses t = rig.Transmissions();
  EXPECT_NE(std::find(t.begin(), t.end(), std::make_pair(230, 2)), t.end());
  for (int32_t when : SleepTimes(rig)) EXPECT_TRUE(when < 230 || when >= 300) << when;
}

TEST(EnvelopeEngine, TimeScalerIsTakenWhenAStageStarts) {
  const EnvelopeData env = MakeEnvelope(0.0f, {1.0f, 0.5f}, 7, NODE_OFF);
  EnvRig rig;
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.TimeScaler(10, 0.512f);
  rig.Run(200);
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 1.0f);       // 32 samples, as it started
  ExpectRamp(out, 32, 1.0f, 0.5f, 64);  // twice as long
  ExpectFlat(out, 96, 200, 0.5f);
}

TEST(EnvelopeEngine, TimeModeChangeAffectsOnlyLaterStages) {
  const EnvelopeData env = MakeEnvelope(0.0f, {1.0f, 0.5f}, 7, NODE_OFF);
  EnvRig rig;
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.Enum(10, PN_TIME_MODE, 0);  // "Time(s)": 1000 times longer
  rig.Run(100);
  const auto& out = rig.Out();
  ExpectRamp(out, 0, 0.0f, 1.0f);
  for (int k = 0; k < 68; ++k)
    ASSERT_EQ(out[32 + k], StageSample(SHAPE_LINEAR, 1.0f, 0.5f, k, 32000)) << k;
  // An unknown mode keeps the factor.
  rig.Enum(100, PN_TIME_MODE, 5);
  rig.Run(101);
  EXPECT_EQ(rig.Voice().TotalSamples(), 8 * 32000);
}

TEST(EnvelopeEngine, EnvelopeOfNoLengthNeverStarts) {
  EnvelopeData env = DefaultEditorEnvelope();
  for (float& t : env.time) t = 0.0f;
  EnvRig rig;
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.Run(200);
  ExpectFlat(rig.Out(), 0, 200, 0.0f);
  EXPECT_EQ(rig.Voice().Stage(), STAGE_NOT_STARTED);
  EXPECT_EQ(rig.Transmissions(), (Statuses{{0, 1}}));
  EXPECT_EQ(SleepTimes(rig), (std::vector<int32_t>{0, 50, 100, 150}));
}

// Two envelopes cover the fourteen shapes; every stage runs from one level
// to another so that each curve shows.
EnvelopeData ShapeTour(int first_shape) {
  EnvelopeData d =
      MakeEnvelope(0.2f, {1.0f, -0.5f, 0.75f, 0.0f, 0.6f, -1.0f, 0.3f, 0.9f}, NODE_OFF, NODE_OFF);
  for (int i = 0; i < ENV_STAGES; ++i) d.shape[i] = static_cast<int16_t>((first_shape + i) % 14);
  return d;
}

TEST(EnvelopeEngine, EveryShapeMatchesItsClosedForm) {
  for (int first : {0, 8}) {
    const EnvelopeData env = ShapeTour(first);
    RigOptions o;
    o.length = 300;
    EnvRig rig(o);
    rig.Open();
    rig.Start(env);
    rig.Gate(0, 1.0f);
    rig.RunAll();
    const auto& out = rig.Out();
    float from = env.start_level;
    for (int stage = 0; stage < ENV_STAGES; ++stage) {
      const float to = env.level[stage];
      for (int k = 0; k < STAGE; ++k) {
        const float want = StageSample(env.shape[stage], from, to, k, STAGE);
        ASSERT_NEAR(out[stage * STAGE + k], want, 1e-6)
            << ShapeName(env.shape[stage]) << " sample " << k;
      }
      if (env.shape[stage] == SHAPE_STEP) {
        // A "Step" stage announces its constant.
        const Statuses t = rig.Transmissions();
        EXPECT_NE(std::find(t.begin(), t.end(), std::make_pair(stage * STAGE, 1)), t.end());
      }
      from = to;
    }
    ExpectFlat(out, 256, 300, env.level[7]);
  }
}

TEST(EnvelopeEngine, BlockSizeDoesNotChangeTheOutput) {
  for (int first : {0, 8}) {
    std::vector<float> reference;
    for (int block : {50, 1, 7, 64, 256}) {
      RigOptions o;
      o.length = 700;
      o.block_size = block;
      EnvRig rig(o);
      rig.Open();
      EnvelopeData env = ShapeTour(first);
      env.sustain_node = 5;
      env.repeat_node = 2;
      rig.Start(env);
      rig.Enum(0, PN_RETRIGGER_MODE, 1);
      rig.Gate(0, 1.0f);
      rig.Gate(333, 0.0f);
      rig.Gate(400, 1.0f);
      rig.Gate(611, 0.0f);
      rig.LevelScaler(77, 0.7f);
      rig.RunAll();
      if (reference.empty()) {
        reference = rig.Out();
        continue;
      }
      for (int t = 0; t < o.length; ++t)
        ASSERT_EQ(rig.Out()[t], reference[t]) << "block " << block << " sample " << t;
    }
  }
}

TEST(EnvelopeEngine, FastGateModeAnnouncesStreamingOnceAndNothingMore) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Enum(0, PN_FAST_GATE, 1);
  rig.Gate(0, 1.0f);
  rig.Gate(400, 0.0f);
  rig.Run(600);
  for (const auto& t : rig.Transmissions()) EXPECT_EQ(t.second, PS_STREAMING);
  for (int32_t when : SleepTimes(rig)) EXPECT_GE(when, 432) << "no sleep while held";
}

TEST(EnvelopeEngine, ResetsFromTheDispatcher) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(0, 1.0f);
  rig.Run(100);
  SEModuleRecord* r = rig.Voice().Record();
  // Index 0 re-reads the clock only; the envelope plays on.
  r->dispatcher(r, MOD_RESET, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(rig.Voice().Stage(), 3);
  EXPECT_EQ(rig.Voice().Clock(), 100);
  r->dispatcher(r, MOD_RESET, 1, 0, nullptr, 0.0f);
  EXPECT_EQ(rig.Voice().Stage(), STAGE_NOT_STARTED);
  rig.Run(200);
  // The gate is still high and a sustain node is set: it starts again.
  ExpectRamp(rig.Out(), 100, 0.0f, 1.0f);
}

}  // namespace

namespace {

TEST(EnvelopeEngine, EmptyProcessCallsTouchNothing) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(0, 1.0f);
  rig.Run(60);
  Module& m = rig.Voice();
  const int32_t stage = m.Stage(), remaining = m.Remaining(), clock = m.Clock();
  m.ProcessEnvelope(0, 0);
  m.ProcessGateScan(0, 0);
  m.ProcessSilent(0, 0);
  EXPECT_EQ(m.Stage(), stage);
  EXPECT_EQ(m.Remaining(), remaining);
  EXPECT_EQ(m.Clock(), clock);
}

}  // namespace
