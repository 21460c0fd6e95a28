// The built plug-in, loaded by path through its exports as the host does.
#include <gtest/gtest.h>

#include "host.h"

namespace {

TEST(ActiveSwitchLibrary, ThresholdCrossingsReachAConnectedInput) {
  modhost::Host host;
  host.SetBlockSize(64);
  host.AddModule(ACTIVE_SWITCH_LIB, "switch");
  host.Set("switch", "1 Switch (Animation)", 0.2);
  // The image control writes the shared GUI pin; the host forwards it to the
  // DSP object before the next block.
  const struct {
    int32_t clock;
    double value;
  } inputs[] = {{64, 0.3}, {128, 0.7}, {192, 0.9}, {256, 0.4}, {384, 0.5}};
  for (const auto& in : inputs) host.SetGuiAt(in.clock, "switch", "1 Switch (Animation)", in.value);
  host.Run(640);

  std::vector<std::pair<int32_t, int32_t>> sent;  // (stamp, clock seen by the host)
  for (const auto& t : host.Log("switch").StatusTransmissions()) {
    EXPECT_EQ(t.index, 0);
    EXPECT_EQ(t.value, PS_ONE_CHANGE);
    sent.push_back({static_cast<int32_t>(t.ptr), t.clock});
  }
  // 0.2 at open gives 0, 0.7 gives 1, 0.4 gives 0, 0.5 gives 1 again.
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {0, 0}, {128, 128}, {256, 256}, {384, 384}};
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(host.Value("switch", "Active").number, 1.0);

  // Every process call asks for sleep, so the host calls it only in blocks
  // where an input event woke it: never in the quiet blocks 7 to 9.
  const auto calls = host.Log("switch").ProcessCalls();
  EXPECT_EQ(host.Log("switch").SleepRequests().size(), calls.size());
  for (const auto& call : calls) EXPECT_LT(call.clock, 448);
}

TEST(ActiveSwitchLibrary, OutsideTheVersionWindowThereAreNoPins) {
  for (int32_t version : {100240, 200083}) {
    modhost::Host host;
    host.SetHostVersion(version);
    EXPECT_THROW(host.AddModule(ACTIVE_SWITCH_LIB, "switch"), modhost::HostError) << version;
  }
}

}  // namespace
