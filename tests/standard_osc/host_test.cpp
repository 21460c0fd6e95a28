// The built plug-ins in the substitute host: a generator linked to an
// oscillator, as a patch would connect them.
#include "host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "patch_file.h"

using modhost::Host;

namespace {

const char* const LINK = "QV_Osc_Link_1k512";

// A generator feeding one oscillator, recording its output.
struct Patch {
  explicit Patch(int32_t block = 256, bool linked = true, bool active = true) {
    host.SetBlockSize(block);
    if (linked) host.AddModule(WAVETABLE_GEN_LIB, "gen");
    host.AddModule(STANDARD_OSC_LIB, "osc");
    if (linked) host.Connect("gen", LINK, "osc", LINK);
    if (active) host.Set("osc", "Active", "ON");
    host.Record("osc", "Wave.Out");
  }
  const std::vector<float>& Out() { return host.Recorded("osc", "Wave.Out"); }
  std::vector<float> Render(int32_t samples) {
    host.Run(samples);
    return Out();
  }
  int32_t ProcessChanges() { return host.Log("osc").HostCalls(HOST_PROCESS_CHANGED).size(); }
  Host host;
};

TEST(OscInHost, IdentitiesAsTheHostReadsThem) {
  Patch patch;
  EXPECT_EQ(patch.host.Identity("osc").name, "QV_Standard_Osc_1k512");
  EXPECT_EQ(patch.host.Identity("osc").id, "Audio_Standard_Osc_1k512_Wavetable_QV2010");
  EXPECT_EQ(patch.host.Identity("gen").name, "QV_Replacement_OscWT_1k512");
  EXPECT_EQ(patch.host.Identity("gen").id, "OscWaveTable_Replacement_1k512_QV2010");
  EXPECT_EQ(patch.host.Identity("gen").module_flags, 2240);
  EXPECT_EQ(patch.host.PinTable("osc").size(), 18u);
}

TEST(OscInHost, GeneratorsShareOneDirectory) {
  Host host;
  host.AddModule(WAVETABLE_GEN_LIB, "gen1");
  host.AddModule(WAVETABLE_GEN_LIB, "gen2");
  host.Run(64);
  const double link = host.Value("gen1", LINK).number;
  EXPECT_NE(link, 0.0);
  EXPECT_EQ(host.Value("gen2", LINK).number, link);
  for (const char* gen : {"gen1", "gen2"}) {
    const auto sent = host.Log(gen).StatusTransmissions();
    ASSERT_EQ(sent.size(), 1u) << gen;
    EXPECT_EQ(sent[0].value, PS_ONE_CHANGE);
  }
}

TEST(OscInHost, ActiveIsOffByDefault) {
  Patch patch(256, true, false);
  const std::vector<float> out = patch.Render(1024);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  EXPECT_FALSE(patch.host.Log("osc").SleepRequests().empty());
  EXPECT_TRUE(patch.host.Dsp("osc").Sleeping());
  EXPECT_EQ(patch.host.Status("osc", "Wave.Out"), PS_ONE_CHANGE);
}

TEST(OscInHost, NothingHappensWhileTheLinkIsUnconnected) {
  Patch patch(256, false, true);
  patch.host.SetAt(100, "osc", "HOLD: On/Off", "ON");
  patch.host.SetAt(200, "osc", "Active", "OFF");
  const std::vector<float> out = patch.Render(512);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(patch.ProcessChanges(), 0);
  EXPECT_TRUE(patch.host.Log("osc").StatusTransmissions().empty());
  EXPECT_TRUE(patch.host.Log("osc").SleepRequests().empty());
}

TEST(OscInHost, FirstNoiseOutputs) {
  Patch patch;
  patch.host.Set("osc", "Waveform", "Noise");
  patch.host.Set("osc", "Phase/Pulse Width", 10.0);  // 10 V: unscaled
  const std::vector<float> out = patch.Render(256);
  EXPECT_NEAR(out[0], 0.470, 0.0005);
  EXPECT_NEAR(out[1], 0.411, 0.0005);
  EXPECT_NEAR(out[2], 0.012, 0.0005);
}

TEST(OscInHost, NoiseWithTheDefaultWidthAndPulseWithWidthZeroAreSilent) {
  for (const char* waveform : {"Noise", "Pulse:Saw", "Pulse:Square", "Pulse:Cluster2"}) {
    Patch patch;
    patch.host.Set("osc", "Waveform", waveform);
    patch.host.Set("osc", "Pitch", 3.3);
    const std::vector<float> out = patch.Render(1024);
    for (float v : out) ASSERT_EQ(v, 0.0f) << waveform;
  }
  Patch sounding;
  sounding.host.Set("osc", "Waveform", "Pulse:Square");
  sounding.host.Set("osc", "Phase/Pulse Width", 5.0);
  float peak = 0.0f;
  for (float v : sounding.Render(1024)) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.3f);
}

TEST(OscInHost, SplitCallsKeepThePhaseContinuous) {
  std::vector<float> whole, split;
  {
    Patch patch;
    patch.host.Set("osc", "Waveform", "Saw");
    whole = patch.Render(1024);
  }
  {
    Patch patch;
    patch.host.Set("osc", "Waveform", "Saw");
    // Events on a pin that changes nothing split the blocks into short calls.
    for (int32_t clock : {1, 37, 38, 100, 255, 256, 300, 777})
      patch.host.SetAt(clock, "osc", "Wave Quality", "High");
    split = patch.Render(1024);
    EXPECT_GT(patch.host.Log("osc").ProcessCalls().size(), 10u);
  }
  ASSERT_EQ(whole.size(), split.size());
  for (size_t k = 0; k < whole.size(); ++k) ASSERT_NEAR(whole[k], split[k], 1e-5) << k;
}

// A sine synced by a stream of sync samples, sync accuracy "Low".
std::vector<float> SyncedSine(const std::vector<float>& sync) {
  Patch patch;
  patch.host.Set("osc", "Sync Accuracy", "Low");
  patch.host.SetAudioSource("osc", "Sync", sync);
  return patch.Render(static_cast<int32_t>(sync.size()));
}

TEST(OscInHost, SyncEdges) {
  std::vector<float> plain;
  {
    Patch patch;
    plain = patch.Render(512);
  }
  ASSERT_EQ(plain[0], 0.0f);
  ASSERT_NE(plain[1], 0.0f);

  // An edge on the very first sample (the value before it counts as -1):
  // the whole call runs from phase 0, as the plain oscillator does.
  std::vector<float> sync(512, 0.5f);
  EXPECT_EQ(SyncedSine(sync), plain);

  // From -0.0 to positive at 300: the cycle starts again there.
  sync.assign(512, -0.0f);
  sync[0] = 0.5f;
  for (size_t k = 300; k < 512; ++k) sync[k] = 0.25f;
  sync[301] = 0.75f;  // rising while positive: no edge
  const std::vector<float> edged = SyncedSine(sync);
  for (size_t k = 0; k < 300; ++k) ASSERT_EQ(edged[k], plain[k]) << k;
  for (size_t k = 300; k < 512; ++k) ASSERT_NEAR(edged[k], plain[k - 300], 1e-6) << k;

  // A sync signal at or below zero never resets.
  sync.assign(512, -0.0f);
  for (size_t k = 0; k < 512; k += 3) sync[k] = -0.2f;
  sync[0] = 0.5f;  // the first-sample edge as in the plain run
  EXPECT_EQ(SyncedSine(sync), plain);
}

TEST(OscInHost, HoldRepeatsTheSampleBeforeIt) {
  for (int32_t at : {256, 300}) {
    Patch patch;
    patch.host.Set("osc", "Waveform", "Triangle");
    patch.host.SetAt(at, "osc", "HOLD: On/Off", "ON");
    const std::vector<float> out = patch.Render(1024);
    ASSERT_NE(out[at - 1], 0.0f);
    for (int32_t k = at; k < 1024; ++k) ASSERT_EQ(out[k], out[at - 1]) << at << " " << k;
  }
}

TEST(OscInHost, OffSleepsOnTheFourthQuarterOfABlock) {
  Patch patch(256);
  patch.host.SetAt(256, "osc", "Active", "OFF");
  for (int32_t clock : {320, 384, 448}) patch.host.SetAt(clock, "osc", "Wave Quality", "High");
  patch.Render(1024);
  const auto sleeps = patch.host.Log("osc").SleepRequests();
  ASSERT_FALSE(sleeps.empty());
  EXPECT_EQ(sleeps[0].clock, 448);
  for (const auto& call : patch.host.Log("osc").ProcessCalls()) {
    if (call.clock < 256 || call.clock >= 512) continue;
    EXPECT_EQ(call.count, 64) << call.clock;
  }
  const auto& out = patch.Out();
  for (int32_t k = 256; k < 1024; ++k) ASSERT_EQ(out[k], 0.0f) << k;
  EXPECT_NE(out[255], 0.0f);
}

TEST(OscInHost, NegativeLinearPitchPlaysBackwards) {
  Patch patch;
  patch.host.Set("osc", "Pitch Mode", "Khz");
  patch.host.Set("osc", "Pitch", -0.5);  // -500 Hz
  const std::vector<float> out = patch.Render(4096);
  for (float v : out) {
    ASSERT_TRUE(std::isfinite(v));
    ASSERT_LE(std::fabs(v), 0.5f);
  }
  EXPECT_LT(out[1], 0.0f);  // a sine run backwards starts downwards
}

TEST(OscInHost, ExamplePatchesRender) {
  struct Case {
    const char* file;
    const char* module;
  };
  for (const Case& c : {Case{"osc_sweep.json", "osc"}, Case{"osc_sync.json", "slave"}}) {
    Host host;
    const modhost::Patch patch =
        modhost::LoadPatchFile(host, std::string(EXAMPLES_DIR) + "/" + c.file, {BUILD_DIR});
    host.Run(patch.render.samples);
    const std::vector<float>& out = host.Recorded(c.module, "Wave.Out");
    ASSERT_EQ(out.size(), static_cast<size_t>(patch.render.samples)) << c.file;
    float peak = 0.0f;
    for (float v : out) {
      ASSERT_TRUE(std::isfinite(v)) << c.file;
      peak = std::max(peak, std::fabs(v));
    }
    EXPECT_GT(peak, 0.2f) << c.file;
    EXPECT_LE(peak, 1.0f) << c.file;
  }
}

}  // namespace
