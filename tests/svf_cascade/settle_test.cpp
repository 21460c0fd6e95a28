// Settling to Hold, Off, Bypass and the sleep requests.

#include <gtest/gtest.h>

#include <limits>

#include "sleep_countdown.h"
#include "svf_fixture.h"

namespace {

using Statuses = std::vector<std::pair<int32_t, int32_t>>;

const SEProcessEntry HOLD = ProcessOf<&Module::ProcessHold>().function;

// Runs blocks until the kernel hands over to Hold; returns the number of
// kernel blocks, or -1 if it never settles within the limit.
int32_t BlocksUntilHold(SvfDriver& d, int32_t limit) {
  for (int32_t b = 1; b <= limit; ++b) {
    d.ProcessBlock();
    if (d.CurrentProcess() == HOLD) return b;
  }
  return -1;
}

TEST(SvfSettle, SilentInputHoldsReportsAfterTheRangeAndSleepsOneBlockLater) {
  SvfDriver d(64);
  d.clock = 640;
  d.Start(1, 0);
  d.host.Clear();
  d.ProcessBlock();
  EXPECT_EQ(d.CurrentProcess(), HOLD);
  EXPECT_EQ(d.OutputStatuses(), (Statuses{{704, PS_ONE_CHANGE}}));
  EXPECT_EQ(d.Sleeps(), 0);
  d.Process(0, 32);
  EXPECT_EQ(d.Sleeps(), 0);
  d.Process(32, 32);
  EXPECT_EQ(d.Sleeps(), 1);
  for (float v : d.output) EXPECT_EQ(v, 0.0f);
  // Extra calls after the request keep writing the level and asking.
  d.ProcessBlock();
  EXPECT_EQ(d.Sleeps(), 2);
}

struct HoldCase {
  float input;
  float held;
};

class SvfHoldLevel : public ::testing::TestWithParam<HoldCase> {};

TEST_P(SvfHoldLevel, SettledLevelIsHeldOrFloored) {
  const HoldCase c = GetParam();
  SvfDriver d(256);
  d.Start(1, 0);
  d.Fill(d.input, c.input);
  ASSERT_GT(BlocksUntilHold(d, 50), 1);
  EXPECT_NEAR(d.output[255], c.input, 1e-12f);
  d.Fill(d.output, 123.0f);
  d.output[0] = d.output[255] = c.input;  // what the buffer holds from the kernel
  d.ProcessBlock();
  for (float v : d.output) ASSERT_EQ(v, c.held);
}

INSTANTIATE_TEST_SUITE_P(Levels, SvfHoldLevel,
                         ::testing::Values(HoldCase{-0.25f, -0.25f}, HoldCase{0.5f, 0.5f},
                                           HoldCase{5e-9f, 0.0f}, HoldCase{-1e-8f, 0.0f},
                                           HoldCase{2e-8f, 2e-8f}));

// No settling while anything streams in, or for a range that does not start
// the block.
TEST(SvfSettle, StreamingInputsOrMidBlockRangesNeverSettle) {
  for (int32_t pin : {Module::PIN_INPUT, Module::PIN_CUTOFF, Module::PIN_RESONANCE}) {
    SvfDriver d(64);
    d.Start(1, 0);
    d.SetStatus(pin, PS_STREAMING);
    EXPECT_EQ(BlocksUntilHold(d, 4), -1) << pin;
  }
  SvfDriver d(64);
  d.Start(1, 0);
  d.Process(1, 63);
  EXPECT_NE(d.CurrentProcess(), HOLD);
  // Once the input stops streaming it settles.
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.SetStatus(Module::PIN_INPUT, PS_ONE_CHANGE);
  EXPECT_EQ(BlocksUntilHold(d, 4), 1);
}

// A resonant filter's ringing is not settled; it settles once it dies out.
TEST(SvfSettle, RingingSettlesOnlyWhenItHasDiedOut) {
  SvfDriver d(64);
  d.Start(1, 2);
  d.Fill(d.resonance, 0.9f);
  d.Fill(d.input, 1.0f);
  d.input[0] = 0.0f;
  d.ProcessBlock();
  EXPECT_NE(d.CurrentProcess(), HOLD);
  d.Fill(d.input, 1.0f);
  const int32_t blocks = BlocksUntilHold(d, 500);
  EXPECT_GT(blocks, 3);
  EXPECT_NEAR(d.output[63], 0.0f, 1e-9f);
}

// One-sample blocks prove nothing about rest: a step must still be filtered.
TEST(SvfSettle, OneSampleBlocksDoNotFreezeAStep) {
  SvfDriver d(1);
  d.Start(1, 0);
  d.Fill(d.input, 1.0f);
  for (int i = 0; i < 200; ++i) d.ProcessBlock();
  EXPECT_NE(d.CurrentProcess(), HOLD);
  EXPECT_NEAR(d.output[0], 1.0f, 1e-3f);
}

// A later pin event brings the kernel back from Hold.
TEST(SvfSettle, PinEventLeavesHold) {
  SvfDriver d(64);
  d.Start(1, 5);
  d.ProcessBlock();
  ASSERT_EQ(d.CurrentProcess(), HOLD);
  d.host.Clear();
  d.SetEnum(Module::PIN_CASCADE, 2);
  EXPECT_EQ(d.CurrentProcess(), EntryForChoice(5));
  EXPECT_EQ(d.OutputStatuses(), (Statuses{{d.clock, PS_STREAMING}}));
}

TEST(SvfOff, WritesZerosAndSleepsAfterOneBlock) {
  SvfDriver d(64);
  d.Start(1, 7);
  d.Fill(d.output, 3.0f);
  d.Process(0, 40);
  EXPECT_EQ(d.Sleeps(), 0);
  d.Process(40, 23);
  EXPECT_EQ(d.Sleeps(), 0);
  d.Process(63, 1);
  EXPECT_EQ(d.Sleeps(), 1);
  for (float v : d.output) EXPECT_EQ(v, 0.0f);
  // Every pin event restarts the block's worth.
  d.SetEnum(Module::PIN_CASCADE, 3);
  d.Process(0, 63);
  EXPECT_EQ(d.Sleeps(), 1);
}

TEST(SvfBypass, PassesTheInputAndLeavesTheStateAlone) {
  SvfDriver d(64);
  d.Start(1, 0);
  d.Fill(d.input, 0.4f);
  d.ProcessBlock();
  const SvfStage before = d.module->Stages()[0];
  d.SetEnum(Module::PIN_CHOICE, 6);
  for (int32_t i = 0; i < 64; ++i) d.input[i] = 0.01f * float(i) - 0.3f;
  d.input[7] = std::numeric_limits<float>::infinity();
  for (int b = 0; b < 5; ++b) d.ProcessBlock();
  for (int32_t i = 0; i < 64; ++i) EXPECT_EQ(d.output[i], d.input[i]) << i;
  EXPECT_EQ(d.module->Stages()[0].band, before.band);
  EXPECT_EQ(d.module->Stages()[0].low, before.low);
  EXPECT_EQ(d.Sleeps(), 0);
  // Back to the filter: it goes on from the state it had.
  d.SetEnum(Module::PIN_CHOICE, 0);
  EXPECT_EQ(d.module->Stages()[0].low, before.low);
}

TEST(SleepCountdown, ArmsSpendsAndNeverWraps) {
  SleepCountdown c;
  c.Arm(64);
  EXPECT_FALSE(c.Spend(63));
  EXPECT_TRUE(c.Spend(1));
  EXPECT_EQ(c.Left(), 0);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(c.Spend(std::numeric_limits<int32_t>::max()));
  EXPECT_EQ(c.Left(), 0);
  c.Arm(10);
  EXPECT_FALSE(c.Spend(9));
}

}  // namespace
