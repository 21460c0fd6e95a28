// Status propagation along connections, and sleeping modules.
#include <gtest/gtest.h>

#include "host.h"

using modhost::Host;

namespace {

std::vector<std::pair<int32_t, int32_t>> StatusEvents(const modhost::ObservationLog& log,
                                                      int32_t pin) {
  std::vector<std::pair<int32_t, int32_t>> events;  // (clock, status)
  for (const auto& e : log.Events()) {
    if (e.event.event_type == EV_PIN_STATUS && e.event.param3 == pin) {
      EXPECT_EQ(e.event.time_stamp, e.clock);
      events.emplace_back(e.clock, e.event.param1);
    }
  }
  return events;
}

TEST(Status, PropagatesAlongAChainOfThreeModules) {
  Host host;
  host.SetBlockSize(64);
  for (const char* name : {"a", "b", "c"}) host.AddModule(FX_RELAY, name);
  // Added out of order: the host runs them in connection order anyway.
  host.Connect("b", "Out", "c", "In");
  host.Connect("a", "Out", "b", "In");
  host.Connect("a", "Audio Out", "b", "Audio In");
  host.Connect("b", "Audio Out", "c", "Audio In");
  std::vector<float> ramp(200);
  for (size_t k = 0; k < ramp.size(); ++k) ramp[k] = 0.001f * static_cast<float>(k);
  host.SetAudioSource("a", "Audio In", ramp);
  host.SetAt(37, "a", "In", 40);
  host.Record("c", "Audio Out");
  host.Run(128);

  // The host's first status (the source's, still static), b passing that on,
  // a's stored value passed on twice, and the change at sample 37 in the same
  // block, two relays on.
  EXPECT_EQ(StatusEvents(host.Log("c"), 0),
            (std::vector<std::pair<int32_t, int32_t>>{
                {0, PS_STATIC}, {0, PS_STATIC}, {0, PS_ONE_CHANGE}, {37, PS_ONE_CHANGE}}));
  EXPECT_EQ(host.Value("c", "In").number, 42);
  EXPECT_EQ(host.Value("c", "Out").number, 43);
  // The stream's status travels too, and the samples pass within the block.
  EXPECT_EQ(StatusEvents(host.Log("c"), 2),
            (std::vector<std::pair<int32_t, int32_t>>{
                {0, PS_STATIC}, {0, PS_STATIC}, {0, PS_STREAMING}}));
  const auto& out = host.Recorded("c", "Audio Out");
  ASSERT_EQ(out.size(), 128u);
  for (size_t k = 0; k < out.size(); ++k) ASSERT_FLOAT_EQ(out[k], ramp[k]) << k;
}

TEST(Status, FanOutReachesEveryConnectedInput) {
  Host host;
  host.AddModule(FX_RELAY, "src");
  host.AddModule(FX_RELAY, "x");
  host.AddModule(FX_RELAY, "y");
  host.Connect("src", "Out", "x", "In");
  host.Connect("src", "Out", "y", "In");
  host.SetAt(5, "src", "In", 9);
  host.Run(16);
  EXPECT_EQ(host.Value("x", "In").number, 10);
  EXPECT_EQ(host.Value("y", "In").number, 10);
  EXPECT_EQ(StatusEvents(host.Log("y"), 0).back(), std::make_pair(5, int32_t{PS_ONE_CHANGE}));
}

TEST(Status, AStampAlreadyPassedIsDeliveredAtTheCurrentClock) {
  Host host;
  host.SetBlockSize(64);
  host.AddModule(FX_RELAY, "a");
  host.AddModule(FX_RELAY, "b");
  host.Connect("a", "Out", "b", "In");
  host.Connect("b", "Out", "a", "In");  // a loop: a runs first, b's answer comes late
  host.Run(128);
  // b transmits at clock 0 while a has finished the block: a gets it at 64, stamped 64.
  const auto events = StatusEvents(host.Log("a"), 0);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0].first, 0);
  EXPECT_EQ(events[1].first, 64);
  const auto transmissions = host.Log("b").StatusTransmissions();
  ASSERT_FALSE(transmissions.empty());
  EXPECT_EQ(transmissions[0].ptr, 0u) << "b stamped its change with clock 0";
}

TEST(Sleep, ASleepingModuleIsNotProcessedAndWakesOnAnInputEvent) {
  Host host;
  host.SetBlockSize(32);
  host.AddModule(FX_SLEEPER, "s");
  host.AddModule(FX_RELAY, "after");
  host.Connect("s", "Out", "after", "Audio In");
  host.Record("s", "Out");
  host.Record("after", "Audio Out");
  host.SetAt(100, "s", "Value", 0.5);
  host.Run(320);

  std::vector<std::pair<int32_t, int32_t>> calls;
  for (const auto& call : host.Log("s").ProcessCalls()) calls.emplace_back(call.clock, call.count);
  EXPECT_EQ(calls, (std::vector<std::pair<int32_t, int32_t>>{{0, 32}, {100, 28}, {128, 32}}));
  std::vector<int32_t> sleeps;
  for (const auto& request : host.Log("s").SleepRequests()) sleeps.push_back(request.clock);
  EXPECT_EQ(sleeps, (std::vector<int32_t>{0, 128}));

  // While asleep its buffer keeps the constant, and modules reading it see it.
  const auto& out = host.Recorded("s", "Out");
  const auto& after = host.Recorded("after", "Audio Out");
  for (int32_t k = 0; k < 320; ++k) {
    const float expected = k < 100 ? 0.25f : 0.5f;
    ASSERT_FLOAT_EQ(out[k], expected) << k;
    ASSERT_FLOAT_EQ(after[k], expected) << k;
  }
  // The downstream module heard of each constant once, after its first status.
  EXPECT_EQ(StatusEvents(host.Log("after"), 2),
            (std::vector<std::pair<int32_t, int32_t>>{
                {0, PS_STATIC}, {0, PS_ONE_CHANGE}, {100, PS_ONE_CHANGE}}));
}

}  // namespace

namespace {

TEST(Status, AModuleFeedingItsOwnInputHearsOfItOneSampleLater) {
  Host host;
  host.SetBlockSize(16);
  host.AddModule(FX_RELAY, "r");
  host.Connect("r", "Out", "r", "In");  // counts up by one per sample
  host.Run(32);
  const auto events = StatusEvents(host.Log("r"), 0);
  ASSERT_EQ(events.size(), 32u);
  for (int32_t k = 0; k < 32; ++k) EXPECT_EQ(events[k].first, k);
  EXPECT_EQ(host.Value("r", "Out").number, 32);
}

}  // namespace
