// Pin events: Active, Filter Choice, Res Balancing and the poly reset.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "svf_fixture.h"

namespace {

using Statuses = std::vector<std::pair<int32_t, int32_t>>;

// Leaves some state in every stage so a clear is visible.
void Excite(SvfDriver& d) {
  d.Fill(d.input, 0.7f);
  d.ProcessBlock();
  d.Fill(d.input, 0.0f);
}

bool StagesAtRest(const SvfDriver& d) {
  for (int k = 0; k < 8; ++k)
    if (d.module->Stages()[k].band != 0.0f || d.module->Stages()[k].low != 0.0f) return false;
  return true;
}

TEST(SvfOpen, SelectsLowPassAndClearsTheState) {
  SvfDriver d;
  SEModuleRecord* record = d.module->Record();
  record->dispatcher(record, MOD_OPEN, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(d.CurrentProcess(), EntryForChoice(0));
  EXPECT_EQ(d.host.CountOf(HOST_PROCESS_CHANGED), 1);
  EXPECT_TRUE(StagesAtRest(d));
}

TEST(SvfActive, OffSelectsOffAndReportsOneChangeAtTheEvent) {
  SvfDriver d;
  d.clock = 128;
  d.Start(0, 2);
  EXPECT_EQ(d.CurrentProcess(), EntryForChoice(7));
  EXPECT_EQ(d.OutputStatuses(), (Statuses{{128, PS_ONE_CHANGE}}));
}

// While Active is OFF no other pin selects a process function or speaks.
TEST(SvfActive, OffIgnoresFilterChoiceAndOtherPins) {
  SvfDriver d;
  d.Start(0, 0);
  d.host.Clear();
  for (int16_t choice : {0, 3, 6, 7}) d.SetEnum(Module::PIN_CHOICE, choice);
  d.SetEnum(Module::PIN_CASCADE, 5);
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  EXPECT_EQ(d.CurrentProcess(), EntryForChoice(7));
  EXPECT_EQ(d.host.CountOf(HOST_PROCESS_CHANGED), 0);
  EXPECT_TRUE(d.OutputStatuses().empty());
  d.Fill(d.input, 0.9f);
  d.Fill(d.output, 5.0f);
  d.ProcessBlock();
  for (float v : d.output) ASSERT_EQ(v, 0.0f);
}

struct OnCase {
  int16_t choice;
  int32_t status;  // reported on "Out" when Active turns ON
};

class SvfActiveOn : public ::testing::TestWithParam<OnCase> {};

TEST_P(SvfActiveOn, ClearsTheStateSelectsTheChoiceAndReports) {
  const OnCase c = GetParam();
  SvfDriver d;
  d.Start(1, 0);
  d.SetEnum(Module::PIN_CASCADE, 7);
  Excite(d);
  ASSERT_FALSE(StagesAtRest(d));
  d.SetEnum(Module::PIN_ACTIVE, 0);
  *static_cast<int16_t*>(d.variables[Module::PIN_CHOICE]) = c.choice;
  d.host.Clear();
  d.clock = 640;
  d.SetEnum(Module::PIN_ACTIVE, 1);
  EXPECT_TRUE(StagesAtRest(d));
  EXPECT_EQ(d.CurrentProcess(), EntryForChoice(c.choice));
  EXPECT_EQ(d.OutputStatuses(), (Statuses{{640, c.status}}));
}

INSTANTIATE_TEST_SUITE_P(Choices, SvfActiveOn,
                         ::testing::Values(OnCase{0, PS_STREAMING}, OnCase{1, PS_STREAMING},
                                           OnCase{2, PS_STREAMING}, OnCase{3, PS_STREAMING},
                                           OnCase{4, PS_STREAMING}, OnCase{5, PS_STREAMING},
                                           OnCase{6, PS_STREAMING}, OnCase{7, PS_ONE_CHANGE}));

// A pin event while ON re-selects by choice and keeps the state.
TEST(SvfChoice, ChangingChoiceKeepsTheState) {
  SvfDriver d;
  d.Start(1, 0);
  Excite(d);
  const SvfStage before = d.module->Stages()[0];
  d.SetEnum(Module::PIN_CHOICE, 3);
  EXPECT_EQ(d.CurrentProcess(), EntryForChoice(3));
  EXPECT_EQ(d.module->Stages()[0].band, before.band);
  EXPECT_EQ(d.module->Stages()[0].low, before.low);
}

TEST(SvfChoice, ValuesOutsideTheListKeepTheProcessFunction) {
  for (int16_t bad : {int16_t(-1), int16_t(8), int16_t(255), int16_t(-32768)}) {
    SvfDriver d;
    d.Start(1, 4);
    d.host.Clear();
    d.SetEnum(Module::PIN_CHOICE, bad);
    EXPECT_EQ(d.CurrentProcess(), EntryForChoice(4)) << bad;
    EXPECT_EQ(d.host.CountOf(HOST_PROCESS_CHANGED), 0) << bad;
    d.ProcessBlock();
  }
}

struct BalanceCase {
  int16_t balancing;
  int16_t cascade;
  float balance;
};

class SvfBalance : public ::testing::TestWithParam<BalanceCase> {};

TEST_P(SvfBalance, FollowsCascadeInAutoOnly) {
  const BalanceCase c = GetParam();
  SvfDriver d;
  d.Start(1, 0);
  d.SetEnum(Module::PIN_BALANCING, c.balancing);
  d.SetEnum(Module::PIN_CASCADE, c.cascade);
  EXPECT_EQ(d.module->Balance(), c.balance);
}

INSTANTIATE_TEST_SUITE_P(AutoAndManual, SvfBalance,
                         ::testing::Values(BalanceCase{1, 0, 1.0f}, BalanceCase{1, 1, 0.9f},
                                           BalanceCase{1, 2, 0.8f}, BalanceCase{1, 3, 0.7f},
                                           BalanceCase{1, 4, 0.6f}, BalanceCase{1, 5, 0.5f},
                                           BalanceCase{1, 6, 0.4f}, BalanceCase{1, 7, 0.3f},
                                           BalanceCase{0, 0, 1.0f}, BalanceCase{0, 7, 1.0f},
                                           // Outside the list: balanced as the nearest stage count.
                                           BalanceCase{1, -5, 1.0f}, BalanceCase{1, 100, 0.3f},
                                           BalanceCase{0, 100, 1.0f}));

// A cascade value outside the list never runs more than eight stages.
TEST(SvfCascade, OutOfListValuesRunOneToEightStages) {
  struct Row {
    int16_t bad;
    int16_t same_as;
  };
  for (Row r : {Row{-1, 0}, Row{-32768, 0}, Row{8, 7}, Row{32767, 7}}) {
    SvfDriver bad, good;
    for (SvfDriver* d : {&bad, &good}) {
      d->Start(1, 0);
      d->SetStatus(Module::PIN_INPUT, PS_STREAMING);
      d->Fill(d->input, 0.5f);
    }
    bad.SetEnum(Module::PIN_CASCADE, r.bad);
    good.SetEnum(Module::PIN_CASCADE, r.same_as);
    bad.ProcessBlock();
    good.ProcessBlock();
    EXPECT_EQ(bad.output, good.output) << r.bad;
  }
}

// Poly reset: what a gate event with a given value does in each mono mode.
struct GateCase {
  const char* what;
  int16_t mono_mode;
  bool reset_first;
  float gate;
  bool clears;
};

class SvfPolyReset : public ::testing::TestWithParam<GateCase> {};

TEST_P(SvfPolyReset, GateEventClearsWhenItShould) {
  const GateCase c = GetParam();
  SvfDriver d;
  d.Start(1, 0);
  d.SetEnum(Module::PIN_MONO_MODE, c.mono_mode);
  if (c.reset_first) d.Reset();
  Excite(d);
  ASSERT_FALSE(StagesAtRest(d));
  const SEProcessEntry before = d.CurrentProcess();
  d.host.Clear();
  d.Fill(d.gate, c.gate);
  d.SetStatus(Module::PIN_GATE, PS_ONE_CHANGE);
  EXPECT_EQ(StagesAtRest(d), c.clears);
  // The gate runs no selection and reports nothing.
  EXPECT_EQ(d.CurrentProcess(), before);
  EXPECT_TRUE(d.OutputStatuses().empty());
}

const float NaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(MonoModes, SvfPolyReset,
                         ::testing::Values(GateCase{"off positive", 0, false, 0.5f, true},
                                           GateCase{"off tiny positive", 0, false, 1e-30f, true},
                                           GateCase{"off zero", 0, false, 0.0f, false},
                                           GateCase{"off negative", 0, false, -0.5f, false},
                                           GateCase{"off NaN", 0, false, NaN, false},
                                           GateCase{"on without reset", 1, false, 0.5f, false},
                                           GateCase{"on after reset", 1, true, 0.5f, true},
                                           GateCase{"on after reset zero", 1, true, 0.0f, false},
                                           // Any value other than Off=0 behaves as On.
                                           GateCase{"out of list after reset", 5, true, 0.5f, true},
                                           GateCase{"out of list without reset", -3, false, 0.5f,
                                                    false}),
                         [](const ::testing::TestParamInfo<GateCase>& info) {
                           std::string name = info.param.what;
                           for (char& ch : name)
                             if (ch == ' ') ch = '_';
                           return name;
                         });

TEST(SvfPolyReset, MonoModeOnClearsOncePerReset) {
  SvfDriver d;
  d.Start(1, 0);
  d.SetEnum(Module::PIN_MONO_MODE, 1);
  // A streaming input keeps the kernel running rather than settling to Hold.
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  d.Reset();
  EXPECT_TRUE(d.module->ResetArmed());
  d.Fill(d.gate, 1.0f);
  for (int round = 0; round < 2; ++round) {
    Excite(d);
    d.SetStatus(Module::PIN_GATE, PS_ONE_CHANGE);
    EXPECT_TRUE(StagesAtRest(d)) << round;
    EXPECT_FALSE(d.module->ResetArmed());
    // A second gate without a reset leaves the filter running.
    Excite(d);
    d.SetStatus(Module::PIN_GATE, PS_ONE_CHANGE);
    EXPECT_FALSE(StagesAtRest(d)) << round;
    d.Reset();
  }
}

TEST(SvfPolyReset, MonoModeOffClearsOnEveryPositiveGate) {
  SvfDriver d;
  d.Start(1, 0);
  d.Fill(d.gate, 1.0f);
  for (int round = 0; round < 3; ++round) {
    Excite(d);
    d.SetStatus(Module::PIN_GATE, PS_STREAMING);
    EXPECT_TRUE(StagesAtRest(d)) << round;
  }
}

// MOD_RESET arms only in mono mode On; Open disarms.
TEST(SvfPolyReset, ResetArmsOnlyInMonoModeOn) {
  SvfDriver d;
  d.Start(1, 0);
  d.Reset();
  EXPECT_FALSE(d.module->ResetArmed());
  d.SetEnum(Module::PIN_MONO_MODE, 1);
  d.Reset();
  EXPECT_TRUE(d.module->ResetArmed());
  SEModuleRecord* record = d.module->Record();
  record->dispatcher(record, MOD_OPEN, 0, 0, nullptr, 0.0f);
  EXPECT_FALSE(d.module->ResetArmed());
}

// A stored Mono Mode On written before Open is still in force after it.
TEST(SvfPolyReset, MonoModeStoredBeforeOpenSurvivesOpen) {
  SvfDriver d;
  *static_cast<int16_t*>(d.variables[Module::PIN_MONO_MODE]) = 1;
  d.Start(1, 0);
  d.SetStatus(Module::PIN_INPUT, PS_STREAMING);
  Excite(d);
  d.Fill(d.gate, 1.0f);
  d.SetStatus(Module::PIN_GATE, PS_ONE_CHANGE);
  EXPECT_FALSE(StagesAtRest(d));
  d.Reset();
  d.SetStatus(Module::PIN_GATE, PS_ONE_CHANGE);
  EXPECT_TRUE(StagesAtRest(d));
}

// The gate is read at the event's own sample of its buffer.
TEST(SvfPolyReset, ReadsTheGateAtTheEventSample) {
  SvfDriver d;
  d.Start(1, 0);
  Excite(d);
  d.Fill(d.gate, 0.0f);
  d.clock = d.block_size * 3 + 17;
  d.gate[17] = 1.0f;
  d.SetStatus(Module::PIN_GATE, PS_STREAMING);
  EXPECT_TRUE(StagesAtRest(d));
}

}  // namespace
