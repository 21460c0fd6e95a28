// The envelope library loaded and played by the substitute host, as a patch
// would play it.
#include "host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "env_cases.h"
#include "envelope_text.h"
#include "module.h"

namespace {

using modhost::Host;

// Sample rate 10 kHz, "Time(ms)" and a time scaler of 2.56 V: a stage of
// time 0.125 lasts 32 samples, as in the direct tests.
void PlaceEnvelope(Host& host, const EnvelopeData& env, int32_t block = 50) {
  host.SetSampleRate(10000.0f);
  host.SetBlockSize(block);
  host.AddModule(ENVELOPE_LIB, "env");
  host.Set("env", "#0", std::string(EncodeEnvelope(env).c_str()));
  host.Set("env", "Time Mode", "Time(ms)");
  host.Set("env", "Time Scaler (Ratio/Latched)", 2.56);
  host.Set("env", "Active", "ON");
  host.Record("env", "Env.Out");
}

std::vector<std::pair<int32_t, int32_t>> OutStatuses(Host& host, int32_t voice = 0) {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (const auto& t : host.Log("env", voice).StatusTransmissions())
    if (t.index == PN_OUT) out.push_back({static_cast<int32_t>(t.ptr), t.value});
  return out;
}

float Ramp(float a, float b, int k, int n = STAGE) {
  const float delta = b - a;
  return static_cast<float>(a + delta * (static_cast<double>(k) / n));
}

TEST(EnvelopeThroughHost, IdentityAndPinTable) {
  Host host;
  host.AddModule(ENVELOPE_LIB, "env");
  const modhost::ModuleIdentity& id = host.Identity("env");
  EXPECT_EQ(id.name, "QV_GUI_EnvelopeV2_8_x8");
  EXPECT_EQ(id.id, "GUI_Edit_EnvelopeV2_8_x8_QV2008");
  EXPECT_EQ(id.gui_flags, 0x180);
  EXPECT_EQ(id.module_flags, 0x8C0);
  EXPECT_EQ(host.PinTable("env").size(), 72u);
  EXPECT_EQ(host.Pin("env", 13).name, "Env.Out");
  Host old;
  old.SetHostVersion(200078);
  old.AddModule(ENVELOPE_LIB, "env");
  EXPECT_EQ(old.PinTable("env").size(), 8u);
}

TEST(EnvelopeThroughHost, SustainReleaseStatusesAndSleep) {
  Host host;
  PlaceEnvelope(host, DefaultEditorEnvelope());
  host.SetAt(0, "env", "Gate/Trigger", 10.0);
  host.SetAt(400, "env", "Gate/Trigger", 0.0);
  host.Run(600);
  const std::vector<float>& out = host.Recorded("env", "Env.Out");
  for (int k = 0; k < STAGE; ++k) ASSERT_EQ(out[k], Ramp(0.0f, 1.0f, k)) << k;
  for (int t = 32; t < 400; ++t) ASSERT_EQ(out[t], 1.0f) << t;
  for (int k = 0; k < STAGE; ++k) ASSERT_EQ(out[400 + k], Ramp(1.0f, 0.0f, k)) << k;
  for (int t = 432; t < 600; ++t) ASSERT_EQ(out[t], 0.0f) << t;
  EXPECT_EQ(OutStatuses(host),
            (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {32, 1}, {400, 2}, {432, 1}}));
  // Asleep during the hold and after the end: the host stopped calling.
  const auto sleeps = host.Log("env").SleepRequests();
  ASSERT_EQ(sleeps.size(), 2u);
  EXPECT_EQ(sleeps[0].clock, 250);
  EXPECT_EQ(sleeps[1].clock, 450);
  for (const auto& call : host.Log("env").ProcessCalls())
    EXPECT_FALSE(call.clock > 250 && call.clock < 400) << call.clock;
}

TEST(EnvelopeThroughHost, StreamingGateEdgesAtExactSamples) {
  Host host;
  PlaceEnvelope(host, DefaultEditorEnvelope());
  std::vector<float> gate(300, 0.0f);
  for (int t = 100; t < 120; ++t) gate[t] = 1.0f;
  for (int t = 130; t < 300; ++t) gate[t] = 1.0f;
  host.SetAudioSource("env", "Gate/Trigger", gate);
  host.Run(300);
  const std::vector<float>& out = host.Recorded("env", "Env.Out");
  for (int t = 0; t <= 100; ++t) ASSERT_EQ(out[t], 0.0f) << t;
  EXPECT_EQ(out[119], Ramp(0.0f, 1.0f, 19));
  EXPECT_EQ(out[120], out[119]);
  EXPECT_EQ(out[130], 0.0f);
  EXPECT_EQ(out[131], Ramp(0.0f, 1.0f, 1));
  // The cuts happen inside the module: the host's calls cover whole blocks.
  for (const auto& call : host.Log("env").ProcessCalls()) EXPECT_EQ(call.count, 50);
  EXPECT_TRUE(host.Log("env").SleepRequests().empty());
}

TEST(EnvelopeThroughHost, NotesResetSoPickUpStartsEachNoteAtTheStartLevel) {
  EnvelopeData env = DefaultEditorEnvelope();
  env.start_level = 0.25f;
  for (bool notes : {true, false}) {
    Host host;
    PlaceEnvelope(host, env);
    host.Set("env", "ReTrigger Mode", "PickUp");
    host.AddVoiceGroup({"voices", 1, {"env"}, "env", "Gate/Trigger"});
    if (notes) {
      host.GateAt(0, "voices", 0, true);
      host.GateAt(280, "voices", 0, false);
      host.GateAt(300, "voices", 0, true);
    } else {
      host.SetAt(0, "env", "Gate/Trigger", 10.0);
      host.SetAt(280, "env", "Gate/Trigger", 0.0);
      host.SetAt(300, "env", "Gate/Trigger", 10.0);
    }
    host.Run(400);
    const std::vector<float>& out = host.Recorded("env", "Env.Out");
    EXPECT_EQ(out[0], 0.25f);
    EXPECT_EQ(out[300], notes ? 0.25f : Ramp(1.0f, 0.0f, 19)) << notes;
  }
}

TEST(EnvelopeThroughHost, HoldGateModeOneSamplePulse) {
  Host host;
  PlaceEnvelope(host, DefaultEditorEnvelope());
  host.Set("env", "Gate Mode", "Hold");
  host.SetAt(10, "env", "Gate/Trigger", 10.0);
  host.SetAt(11, "env", "Gate/Trigger", 0.0);
  host.Run(400);
  const std::vector<float>& out = host.Recorded("env", "Env.Out");
  for (int k = 0; k < STAGE; ++k) ASSERT_EQ(out[10 + k], Ramp(0.0f, 1.0f, k)) << k;
  for (int t = 42; t < 400; ++t) ASSERT_EQ(out[t], 1.0f) << t;
}

TEST(EnvelopeThroughHost, ActiveOffAndOnResumes) {
  EnvelopeData env = MakeEnvelope(0.0f, {1.0f}, 7, NODE_OFF);
  env.time[0] = 0.5f;  // 128 samples
  Host host;
  PlaceEnvelope(host, env);
  host.SetAt(0, "env", "Gate/Trigger", 10.0);
  host.SetAt(50, "env", "Active", "OFF");
  host.SetAt(150, "env", "Active", "ON");
  host.Run(300);
  const std::vector<float>& out = host.Recorded("env", "Env.Out");
  for (int t = 50; t < 150; ++t) ASSERT_EQ(out[t], 0.0f) << t;
  for (int k = 50; k < 128; ++k) ASSERT_EQ(out[100 + k], k / 128.0f) << k;
  const auto statuses = OutStatuses(host);
  ASSERT_GE(statuses.size(), 3u);
  EXPECT_EQ(statuses[1], std::make_pair(50, 1));
  EXPECT_EQ(statuses[2], std::make_pair(150, 2));
}

TEST(EnvelopeThroughHost, LiveUpdateReAimsVoicesInTheNamedStages) {
  Host host;
  PlaceEnvelope(host, OneShot());
  host.AddVoiceGroup({"voices", 4, {"env"}, "env", "Gate/Trigger"});
  const int starts[4] = {0, 100, 120, 230};
  for (int v = 0; v < 4; ++v) host.GateAt(starts[v], "voices", v, true);
  EnvelopeData after = OneShot();
  after.level[5] = 0.5f;
  after.level[6] = 0.5f;
  host.SetAt(295, "env", "#0", std::string(EncodeEnvelope(after).c_str()));
  host.Run(310);
  // The editor's notification for node 6 (stage index 5).
  host.Dsp("env", 0).Dispatch(MOD_NOTIFY, 0, 5, nullptr, 0.0f);
  host.Run(90);
  const auto& v1 = host.Recorded("env", "Env.Out", 1);
  for (int k = 18; k < 32; ++k) ASSERT_EQ(v1[292 + k], Ramp(1.0f, 0.5f, k)) << k;
  EXPECT_EQ(v1[324], 0.5f);
  const auto& v2 = host.Recorded("env", "Env.Out", 2);
  EXPECT_EQ(v2[311], Ramp(1.0f, 0.5f, 31));
  EXPECT_EQ(v2[312], 0.5f);
  for (int t = 310; t < 390; ++t) ASSERT_EQ(host.Recorded("env", "Env.Out", 3)[t], 1.0f) << t;
  for (int t = 256; t < 400; ++t) ASSERT_EQ(host.Recorded("env", "Env.Out", 0)[t], 0.0f) << t;
}

TEST(EnvelopeThroughHost, ForeignTextsPlaySafely) {
  std::mt19937 rng(77);
  std::vector<std::string> texts = {"", "short", std::string(131, '\xFF'), std::string(131, '\x01'),
                                    std::string(119, 'A')};
  for (int n = 0; n < 20; ++n) {
    std::string t(131, ' ');
    for (char& b : t) b = static_cast<char>(1 + rng() % 255);
    texts.push_back(t);
  }
  for (const std::string& text : texts) {
    Host host;
    PlaceEnvelope(host, DefaultEditorEnvelope(), 1 + static_cast<int32_t>(rng() % 100));
    host.SetAt(20, "env", "#0", text);
    host.SetAt(0, "env", "Gate/Trigger", 10.0);
    host.SetAt(150, "env", "Gate/Trigger", 0.0);
    host.SetAt(200, "env", "Gate/Trigger", 10.0);
    host.Run(400);
    const auto& out = host.Recorded("env", "Env.Out");
    ASSERT_EQ(out.size(), 400u);
    // Finite levels give finite output.
    EnvelopeData d = DefaultEditorEnvelope();
    DecodeEnvelope(text.c_str(), EnvelopeText::DSP_BYTES, d);
    bool finite = std::isfinite(d.start_level);
    for (float l : d.level) finite = finite && std::isfinite(l);
    if (finite) {
      for (float x : out) ASSERT_TRUE(std::isfinite(x));
    }
  }
}

}  // namespace
