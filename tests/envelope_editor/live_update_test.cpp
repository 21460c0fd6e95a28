// The editor's notification re-aims the voices playing the changed stage.
#include <gtest/gtest.h>

#include "env_cases.h"
#include "env_rig.h"

namespace {

TEST(EnvelopeLiveUpdate, ReAimsExactlyTheVoicesInTheNamedStageOrTheNext) {
  RigOptions o;
  o.voices = 4;
  o.length = 400;
  EnvRig rig(o);
  rig.Open();
  const EnvelopeData before = OneShot();
  rig.Start(before);
  // At 310: voice 0 has ended, voice 1 is in stage index 6, voice 2 in 5,
  // voice 3 in 2.
  rig.Gate(0, 1.0f, 0);
  rig.Gate(100, 1.0f, 1);
  rig.Gate(120, 1.0f, 2);
  rig.Gate(230, 1.0f, 3);
  // Nodes 6 and 7 drop to 0.5; the running stages keep their aim until told.
  EnvelopeData after = before;
  after.level[5] = 0.5f;
  after.level[6] = 0.5f;
  rig.Envelope(295, 0, after);
  rig.Notify(310, 5, 0);
  rig.RunAll();

  // Voice 1: stage 6 began at 292 flat at 1.0; at 310 it is 18 samples in.
  const auto& v1 = rig.Out(1);
  EXPECT_EQ(v1[309], 1.0f);
  for (int k = 18; k < 32; ++k)
    ASSERT_EQ(v1[292 + k], StageSample(SHAPE_LINEAR, 1.0f, 0.5f, k, 32)) << k;
  EXPECT_EQ(v1[324], 0.5f);  // the new end level, at the stage's end
  // Voice 2: stage 5 began at 280, 30 samples in.
  const auto& v2 = rig.Out(2);
  EXPECT_EQ(v2[310], StageSample(SHAPE_LINEAR, 1.0f, 0.5f, 30, 32));
  EXPECT_EQ(v2[311], StageSample(SHAPE_LINEAR, 1.0f, 0.5f, 31, 32));
  EXPECT_EQ(v2[312], 0.5f);
  // Voice 3 (stage 2) and voice 0 (ended) are untouched.
  for (int t = 310; t < 390; ++t) ASSERT_EQ(rig.Out(3)[t], 1.0f) << t;
  for (int t = 256; t < 400; ++t) ASSERT_EQ(rig.Out(0)[t], 0.0f) << t;
  EXPECT_EQ(rig.Voice(0).Stage(), STAGE_ENDED);
}

TEST(EnvelopeLiveUpdate, NodeZeroReAimsTheFirstStageOverTheNewLength) {
  RigOptions o;
  o.voices = 2;
  o.length = 200;
  EnvRig rig(o);
  rig.Open();
  const EnvelopeData before = DefaultEditorEnvelope();
  rig.Start(before);
  rig.Gate(0, 1.0f, 0);
  rig.Gate(10, 1.0f, 1);
  EnvelopeData after = before;
  after.level[0] = 0.5f;
  after.time[0] = 0.25f;  // 64 samples
  rig.Envelope(15, 0, after);
  rig.Notify(16, -1, 1);
  rig.RunAll();
  // Voice 0 is 16 samples into 32, at p = 0.5: half of 64 samples are left.
  const auto& v0 = rig.Out(0);
  EXPECT_EQ(v0[15], 15.0f / 32);
  EXPECT_EQ(v0[16], 0.5f * 0.5f);  // p kept, new end 0.5
  EXPECT_EQ(v0[47], 0.5f * (0.5f + 31.0f / 64));
  EXPECT_EQ(v0[48], 0.5f);
}

TEST(EnvelopeLiveUpdate, StepStageKeepsItsCountAndTakesNewDataOnLoad) {
  EnvelopeData before = DefaultEditorEnvelope();
  before.shape[0] = SHAPE_STEP;
  EnvRig rig;
  rig.Open();
  rig.Start(before);
  rig.Gate(0, 1.0f);
  rig.Notify(10, 0, 0);
  rig.Run(11);
  EXPECT_EQ(rig.Voice().Remaining(), 32 - 11);
  EnvelopeData after = before;
  after.level[0] = 0.5f;
  rig.Envelope(20, 0, after);
  rig.Run(40);
  for (int t = 0; t < 20; ++t) ASSERT_EQ(rig.Out()[t], 1.0f) << t;
  // Loading restarts the held value from the new data, not the count.
  for (int t = 20; t < 32; ++t) ASSERT_EQ(rig.Out()[t], 0.5f) << t;
  EXPECT_EQ(rig.Out()[32], 0.5f);
}

}  // namespace
