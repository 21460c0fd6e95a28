// Gate classes, the gate scanner and "Active".
#include <gtest/gtest.h>

#include <vector>

#include "env_cases.h"
#include "env_rig.h"

namespace {

typedef std::vector<std::pair<int32_t, int32_t>> Statuses;

TEST(EnvelopeGate, StreamingGateCutsTheBlockAtItsEdges) {
  // Edges at 100 (a block's first sample), then 120 and 130 inside that block.
  std::vector<float> gate(300, 0.0f);
  for (int t = 100; t < 120; ++t) gate[t] = 0.8f;
  for (int t = 130; t < 300; ++t) gate[t] = 0.3f;
  RigOptions o;
  o.length = 300;
  // One rig at a time: each is the current host while it lives.
  std::vector<float> stepped;
  {
    EnvRig rig(o);
    rig.Open();
    rig.Start(DefaultEditorEnvelope());
    rig.Gate(100, 1.0f);
    rig.Gate(120, 0.0f);
    rig.Gate(130, 1.0f);
    rig.RunAll();
    stepped = rig.Out();
  }
  EnvRig streamed(o);
  streamed.Open();
  streamed.Start(DefaultEditorEnvelope());
  streamed.GateStream(50, std::vector<float>(gate.begin() + 50, gate.end()));
  streamed.RunAll();

  const auto& out = streamed.Out();
  EXPECT_EQ(out[99], 0.0f);
  EXPECT_EQ(out[100], 0.0f);  // restarted exactly at the edge
  EXPECT_EQ(out[101], 1.0f / 32);
  EXPECT_EQ(out[120], out[119]);  // released from the value reached
  EXPECT_LT(out[121], out[120]);
  EXPECT_EQ(out[130], 0.0f);  // restarted again
  EXPECT_EQ(out[131], 1.0f / 32);
  for (int t = 0; t < 300; ++t) ASSERT_EQ(out[t], stepped[t]) << t;
  // The host saw one process call per block: the cuts are inside.
  for (const auto& call : streamed.ProcessCalls()) EXPECT_EQ(call.first % 50, 0);
}

TEST(EnvelopeGate, StreamingGateNeverSleepsWhileIdle) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.GateStream(0, std::vector<float>(400, 0.0f));
  rig.Run(400);
  EXPECT_TRUE(rig.Calls(HOST_SLEEP).empty());
  // A gate that streams and one that does not select different functions.
  rig.Gate(400, 0.0f);
  rig.Run(401);
  EXPECT_EQ(rig.Calls(HOST_PROCESS_CHANGED).size(), 3u);
}

TEST(EnvelopeGate, StaticGateIsHighAboveZero) {
  struct Case {
    float gate;
    bool plays;
  } cases[] = {{0.5f, true}, {1e-30f, true}, {0.0f, false}, {-0.0f, false}, {-0.5f, false}};
  for (const Case& c : cases) {
    EnvRig rig;
    rig.Open();
    rig.Start(DefaultEditorEnvelope());
    rig.Gate(0, c.gate);
    rig.Run(40);
    EXPECT_EQ(rig.Out()[20] > 0.0f, c.plays) << c.gate;
  }
}

TEST(EnvelopeGate, ActiveOffWritesZerosAndOnResumesWhereItWas) {
  EnvelopeData env = MakeEnvelope(0.0f, {1.0f}, 7, NODE_OFF);
  env.time[0] = 0.5f;  // 128 samples
  EnvRig rig;
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.Enum(50, PN_ACTIVE, 0);
  rig.Enum(150, PN_ACTIVE, 1);
  rig.Run(300);
  const auto& out = rig.Out();
  EXPECT_EQ(out[49], 49.0f / 128);
  for (int t = 50; t < 150; ++t) ASSERT_EQ(out[t], 0.0f) << t;
  // Resumed with its state unchanged: sample 50 of the stage comes next.
  for (int k = 50; k < 128; ++k) ASSERT_EQ(out[100 + k], k / 128.0f) << k;
  EXPECT_EQ(rig.Transmissions(), (Statuses{{0, 2}, {50, 1}, {150, 2}, {228, 1}}));
  // Silent: asks to sleep once a block of zeros has been written.
  ASSERT_FALSE(rig.Calls(HOST_SLEEP).empty());
  EXPECT_EQ(rig.Calls(HOST_SLEEP)[0].time, 50);
}

TEST(EnvelopeGate, SleepingModuleWakesOnTheNextGate) {
  RigOptions o;
  o.honour_sleep = true;
  o.length = 600;
  EnvRig rig(o);
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(300, 1.0f);
  rig.RunAll();
  // Asleep from the first block; the gate's status wakes it at 300.
  const auto sleeps = rig.Calls(HOST_SLEEP);
  ASSERT_EQ(sleeps.size(), 2u);
  EXPECT_EQ(sleeps[0].time, 0);
  EXPECT_EQ(sleeps[1].time, 550);  // one block into the hold at node 7
  for (int t = 0; t < 300; ++t) ASSERT_EQ(rig.Out()[t], 0.0f);
  EXPECT_EQ(rig.Out()[301], 1.0f / 32);
}

}  // namespace
