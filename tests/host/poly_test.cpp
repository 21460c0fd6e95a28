// Voice groups: one DSP object per voice, clones enumerated in order, per
// voice gates with resets, and the voices mixed into a single input.
#include <gtest/gtest.h>

#include "host.h"
#include "probe.h"

using modhost::Host;
using modhost::VoiceGroup;

namespace {

VoiceGroup Voices(int32_t voices, std::vector<std::string> modules, std::string gate_module = "",
                  modhost::PinRef gate_pin = {}) {
  VoiceGroup group;
  group.name = "voices";
  group.voices = voices;
  group.modules = std::move(modules);
  group.gate_module = std::move(gate_module);
  group.gate_pin = std::move(gate_pin);
  return group;
}

TEST(Voices, ClonesAreEnumeratedInOrderFromEveryClone) {
  Host host;
  host.AddModule(FX_RECORDER, "rec");
  host.AddVoiceGroup(Voices(3, {"rec"}));
  host.Run(1);
  std::vector<uintptr_t> expected;
  for (int32_t v = 0; v < 3; ++v) {
    expected.push_back(reinterpret_cast<uintptr_t>(host.Dsp("rec", v).Record()));
  }
  EXPECT_NE(expected[0], expected[1]) << "own DSP object per voice";
  for (int32_t v = 0; v < 3; ++v) {
    std::vector<uintptr_t> seen;
    for (const auto& probe : host.Log("rec", v).HostCalls(PROBE_CLONE)) seen.push_back(probe.ptr);
    EXPECT_EQ(seen, expected) << "voice " << v;
  }
}

TEST(Voices, ASingleModuleIsAGroupOfOne) {
  Host host;
  host.AddModule(FX_RECORDER, "rec");
  host.Run(1);
  const auto probes = host.Log("rec").HostCalls(PROBE_CLONE);
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].ptr, reinterpret_cast<uintptr_t>(host.Dsp("rec").Record()));
}

TEST(Voices, ANoteResetsItsVoiceOnlyThenSetsTheGate) {
  Host host;
  host.SetBlockSize(32);
  host.AddModule(FX_RECORDER, "rec");
  host.AddVoiceGroup(Voices(2, {"rec"}, "rec", "In"));
  host.GateAt(40, "voices", 1, true, 5.0);
  host.GateAt(70, "voices", 1, false);
  host.Record("rec", "Out");
  host.Run(96);

  EXPECT_TRUE(host.Log("rec", 0).HostCalls(PROBE_RESET).empty());
  const auto& log = host.Log("rec", 1);
  std::vector<std::pair<int32_t, int32_t>> order;  // (clock, what): 0 OnReset, 1 EV_RESET, 2 gate
  for (const auto& entry : log.Entries()) {
    if (entry.kind == modhost::ObservationKind::HostCall && entry.opcode == PROBE_RESET) {
      order.emplace_back(entry.clock, entry.index);
    }
    if (entry.kind == modhost::ObservationKind::Event && entry.event.event_type == EV_PIN_STATUS &&
        entry.event.param3 == 0 && entry.clock > 0) {
      order.emplace_back(entry.clock, 2);
    }
  }
  EXPECT_EQ(order, (std::vector<std::pair<int32_t, int32_t>>{{40, 0}, {40, 1}, {40, 2}, {70, 2}}));

  const auto& voice1 = host.Recorded("rec", "Out", 1);
  EXPECT_FLOAT_EQ(voice1[39], 0.25f);
  EXPECT_FLOAT_EQ(voice1[40], 0.5f);
  EXPECT_FLOAT_EQ(voice1[70], 0.0f);
  // The voices summed.
  EXPECT_FLOAT_EQ(host.Recorded("rec", "Out")[50], 0.25f + 0.5f);
}

TEST(Voices, AVoiceGroupOutputIsMixedIntoASingleInput) {
  Host host;
  host.SetBlockSize(16);
  host.AddModule(FX_RECORDER, "rec");
  host.AddModule(FX_RELAY, "sum");
  host.AddVoiceGroup(Voices(3, {"rec"}));
  host.Connect("rec", "Out", "sum", "Audio In");
  host.Record("sum", "Audio Out");
  host.SetAt(8, "rec", "Offset", 0.125, 2);  // voice 2 only
  host.Run(32);
  const auto& out = host.Recorded("sum", "Audio Out");
  EXPECT_FLOAT_EQ(out[7], 0.75f);
  EXPECT_FLOAT_EQ(out[8], 0.875f);
}

TEST(Voices, ModulesOfTheSameGroupConnectVoiceByVoice) {
  Host host;
  host.AddModule(FX_RECORDER, "rec");
  host.AddModule(FX_RELAY, "relay");
  host.AddVoiceGroup(Voices(2, {"rec", "relay"}));
  host.Connect("rec", "Out", "relay", "Audio In");
  host.Record("relay", "Audio Out");
  host.SetAt(0, "rec", "Offset", 0.5, 1);
  host.Run(4);
  EXPECT_FLOAT_EQ(host.Recorded("relay", "Audio Out", 0)[0], 0.25f);
  EXPECT_FLOAT_EQ(host.Recorded("relay", "Audio Out", 1)[0], 0.75f);
}

TEST(Voices, ConnectionsTheHostCannotMakeAreErrors) {
  Host host;
  host.AddModule(FX_RELAY, "poly");
  host.AddModule(FX_RELAY, "mono");
  host.AddVoiceGroup(Voices(2, {"poly"}));
  host.Connect("poly", "Out", "mono", "In");  // an integer cannot be mixed
  try {
    host.Run(1);
    FAIL() << "no error";
  } catch (const modhost::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("only audio outputs of voices are mixed"),
              std::string::npos);
  }
}

TEST(Resets, TimelineResetsReachTheChosenObjects) {
  Host host;
  host.AddModule(FX_RECORDER, "rec");
  host.AddVoiceGroup(Voices(2, {"rec"}));
  host.ResetAt(3, "rec", modhost::ResetKind::Module, 4, 0);
  host.ResetAt(5, "rec", modhost::ResetKind::Event);
  host.Run(8);
  auto kinds = [&](int32_t voice) {
    std::vector<std::tuple<int32_t, int32_t, int32_t>> seen;
    for (const auto& p : host.Log("rec", voice).HostCalls(PROBE_RESET)) {
      seen.emplace_back(p.clock, p.index, p.value);
    }
    return seen;
  };
  // MOD_RESET index 4: OnReset then OnResetIndexed(4); EV_RESET to both voices.
  EXPECT_EQ(kinds(0),
            (std::vector<std::tuple<int32_t, int32_t, int32_t>>{{3, 0, 0}, {3, 2, 4}, {5, 1, 0}}));
  EXPECT_EQ(kinds(1), (std::vector<std::tuple<int32_t, int32_t, int32_t>>{{5, 1, 0}}));
}

}  // namespace
