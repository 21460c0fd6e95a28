// Texts the editor never writes: short, damaged or random. The module must
// keep playing safely and never index outside its envelope.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "env_cases.h"
#include "env_rig.h"
#include "envelope_text.h"

namespace {

bool AllFinite(const std::vector<float>& v) {
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

TEST(EnvelopeForeignText, ShortTextKeepsWhatIsPlaying) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(0, 1.0f);
  const std::string full = EncodeEnvelope(OneShot()).c_str();
  rig.Text(10, 0, "");
  rig.Text(20, 0, full.substr(0, 119));
  rig.Run(100);
  EXPECT_EQ(rig.Voice().Envelope().sustain_node, 7);
  EXPECT_EQ(rig.Out()[40], 1.0f);
  // Exactly the bytes the DSP object reads are enough.
  rig.Text(100, 0, full.substr(0, 120));
  rig.Run(101);
  EXPECT_EQ(rig.Voice().Envelope().sustain_node, NODE_OFF);
}

TEST(EnvelopeForeignText, OutOfRangeFieldsAreMadePlayable) {
  std::string text(EnvelopeText::SIZE, '\x01');  // sustain 0, repeat 0, no stages
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Text(0, 0, text);
  rig.Gate(0, 1.0f);
  rig.Run(100);
  const EnvelopeData& d = rig.Voice().Envelope();
  EXPECT_EQ(d.active_stages, 8);
  EXPECT_EQ(d.sustain_node, NODE_OFF);
  EXPECT_EQ(d.repeat_node, REPEAT_START);
  // All times are 0: the envelope does not start.
  for (float x : rig.Out()) ASSERT_EQ(x, 0.0f);

  EnvelopeData bad = DefaultEditorEnvelope();
  bad.sustain_node = 9;
  bad.repeat_node = 7;
  bad.shape[0] = 77;
  bad.active_stages = 12;
  rig.Envelope(100, 0, bad);
  rig.Gate(100, 0.0f);
  rig.Gate(110, 1.0f);
  rig.Run(200);
  EXPECT_EQ(rig.Voice().Envelope().shape[0], SHAPE_LINEAR);  // plays as "Linear"
  EXPECT_EQ(rig.Out()[126], 16.0f / 32);
}

TEST(EnvelopeForeignText, StagesThatCannotAdvanceFinishTheCall) {
  struct Case {
    const char* what;
    float time_scaler;
    int sustain, repeat, active;
    float first_times, late_time;
  } cases[] = {
      {"negative time scaler, sustain beyond the stages", -0.256f, 7, NODE_OFF, 2, 0.125f, 0.0f},
      {"negative time scaler, repeat", -0.256f, NODE_OFF, 0, 8, 0.125f, 0.125f},
      {"negative time scaler, sustain and repeat", -0.256f, 3, 1, 8, 0.125f, 0.125f},
      {"inactive stage carries the length", 0.256f, 7, NODE_OFF, 2, 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    EnvelopeData env = MakeEnvelope(0.0f, {1.0f, 0.5f}, c.sustain, c.repeat, c.active);
    for (int i = 0; i < ENV_STAGES; ++i) env.time[i] = i < c.active ? c.first_times : c.late_time;
    EnvRig rig;
    rig.Open();
    rig.Start(env);
    rig.TimeScaler(0, c.time_scaler);
    rig.Gate(0, 1.0f);
    rig.Gate(200, 0.0f);
    rig.Gate(300, 1.0f);
    rig.Run(400);  // returns: no call hangs
    EXPECT_TRUE(AllFinite(rig.Out())) << c.what;
    EXPECT_NE(rig.Voice().TotalSamples(), 0) << c.what;
  }
}

// Random and saturated texts with random settings: no crash, no sanitizer
// report, no hang, and finite output whenever the levels are finite.
TEST(EnvelopeForeignText, RandomTextsPlaySafely) {
  std::mt19937 rng(611);
  const float scalers[] = {0.256f, -0.256f, 0.0f, 1e-9f, 3.0f, 1e30f, -1e30f, NAN, INFINITY};
  for (int n = 0; n < 150; ++n) {
    std::string text(EnvelopeText::SIZE, '\xFF');
    if (n > 0) {
      for (char& b : text) b = static_cast<char>(1 + rng() % 255);
      // Many texts with small, plausible times so that stages actually run.
      if (n % 2 == 0) {
        EnvelopeData d{};
        DecodeEnvelope(text.c_str(), EnvelopeText::SIZE, d);
        for (float& t : d.time) t = static_cast<float>(rng() % 5) * 0.05f;
        for (float& l : d.level) l = static_cast<float>(rng() % 200) / 100.0f - 1.0f;
        d.start_level = 0.1f;
        text = EncodeEnvelope(d).c_str();
      }
    }
    RigOptions o;
    o.length = 600;
    o.block_size = 1 + static_cast<int32_t>(rng() % 64);
    EnvRig rig(o);
    rig.Open();
    rig.Start(DefaultEditorEnvelope());
    rig.Text(0, 0, text);
    rig.Enum(0, PN_RETRIGGER_MODE, static_cast<int16_t>(rng() % 3));
    rig.Enum(0, PN_REPEAT_MODE, static_cast<int16_t>(rng() % 3));
    rig.Enum(0, PN_GATE_MODE, static_cast<int16_t>(rng() % 2));
    rig.Enum(0, PN_FAST_GATE, static_cast<int16_t>(rng() % 2));
    const float scaler = scalers[rng() % 9];
    rig.TimeScaler(0, scaler);
    for (int t = 0; t < 600; t += 1 + static_cast<int>(rng() % 90))
      rig.Gate(t, (rng() % 2) ? 1.0f : 0.0f);
    rig.Notify(300, static_cast<int32_t>(rng() % 10) - 1, 0);
    rig.RunAll();
    const EnvelopeData& d = rig.Voice().Envelope();
    bool finite = std::isfinite(d.start_level) && std::isfinite(scaler);
    for (float l : d.level) finite = finite && std::isfinite(l);
    if (finite) {
      EXPECT_TRUE(AllFinite(rig.Out())) << "text " << n;
    }
  }
}

}  // namespace
