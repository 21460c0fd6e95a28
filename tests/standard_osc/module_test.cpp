// The oscillator's identity, pin table, open and pin handling, driven
// directly through its record with a recording host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "osc_rig.h"
#include "pitch.h"

namespace {

int32_t StatusesSent(const FakeHost& host, int32_t status) {
  int32_t n = 0;
  for (const HostCall& c : host.CallsOf(HOST_PIN_STATUS))
    if (c.index == PIN_OUTPUT && c.value == status) ++n;
  return n;
}

TEST(OscModule, Identity) {
  SEModuleInfo info;
  std::memset(&info, 0, sizeof info);
  FillModuleInfo(&info);
  EXPECT_STREQ(info.name, "QV_Standard_Osc_1k512");
  EXPECT_STREQ(info.id, "Audio_Standard_Osc_1k512_Wavetable_QV2010");
  EXPECT_EQ(info.module_flags, 2240);
  const std::string about = info.about;
  EXPECT_EQ(
      about.rfind("Standard Audio Oscillator\nVer:3.00\n\nWaveform: Selects waveform shape\n", 0),
      0u);
  EXPECT_NE(about.find("\n   OFF: Frequencies can go beyond Nyquist causing foldback "
                       "frequencies/wierd FX etc\n"),
            std::string::npos);
  const std::string last = "\nActive: Off,On ( When not used, set to Off to save CPU )";
  EXPECT_EQ(about.substr(about.size() - last.size()), last);
  EXPECT_EQ(std::count(about.begin(), about.end(), '\n'), 12);
}

TEST(OscModule, PinTable) {
  OscRig rig;
  struct Expected {
    const char* name;
    int32_t direction, datatype;
    const char* default_value;
    const char* list;  // prefix is enough for the long lists
  };
  const Expected pins[OSC_PIN_COUNT] = {
      {"Pitch", DR_IN, DT_FSAMPLE, "5.000", nullptr},
      {"Pitch Adjust (offset)", DR_IN, DT_FSAMPLE, "0.0", nullptr},
      {"Pitch Ref (System B)", DR_IN, DT_FSAMPLE, "5.000", nullptr},
      {"Phase/Pulse Width", DR_IN, DT_FSAMPLE, "0.000", nullptr},
      {"Sync", DR_IN, DT_FSAMPLE, "0.0", nullptr},
      {"Sync Accuracy", DR_IN, DT_ENUM, "1", "Low,High"},
      {"Wave.Out", DR_OUT, DT_FSAMPLE, nullptr, nullptr},
      {"Waveform", DR_IN, DT_ENUM, "0",
       "Sine,Saw,Ramp,Soft Ramp,Peak Ramp,Square,Triangle,Peak,Octava,Cluster1,Cluster2,Pulse:Saw,"
       "Pulse:Ramp,Pulse:Soft Ramp,Pulse:Peak Ramp,Pulse:Square,Pulse:Triangle,Pulse:Peak,"
       "Pulse:Octava,Pulse:Cluster1,Pulse:Cluster2,Noise=255"},
      {"Wave Quality", DR_IN, DT_ENUM, "1", "High=1"},
      {"Harmonics", DR_IN, DT_ENUM, "511",
       "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,"
       "48=47,64=63,80=79,96=95,128=127,192=191,256=255,384=383,512=511"},
      {"Freq Limit (Hz)", DR_IN, DT_FSAMPLE, "22000", "22050,100,22050,100"},
      {"Limit Freq System", DR_IN, DT_ENUM, "1", "OFF,A,B"},
      {"Pitch Mode", DR_IN, DT_ENUM, "0", "Oct,Khz,Hz"},
      {"PitchMod Accuracy", DR_IN, DT_ENUM, "1", "Low,High"},
      {"HOLD: On/Off", DR_IN, DT_ENUM, "0", "OFF,ON"},
      {"Active", DR_IN, DT_ENUM, "0", "OFF,ON"},
      {"", DR_INTERNAL, DT_FSAMPLE, "", nullptr},
      {"QV_Osc_Link_1k512", DR_IN, DT_INT, nullptr, nullptr},
  };
  void* seen[OSC_PIN_COUNT] = {};
  for (int32_t i = 0; i < OSC_PIN_COUNT; ++i) {
    SEPinProperties p;
    std::memset(&p, 0, sizeof p);
    ASSERT_EQ(rig.record()->dispatcher(rig.record(), MOD_GET_PIN_PROPERTIES, i, 0, &p, 0.0f), 1);
    const Expected& e = pins[i];
    EXPECT_STREQ(p.name, e.name) << i;
    EXPECT_EQ(p.direction, e.direction) << i;
    EXPECT_EQ(p.datatype, e.datatype) << i;
    EXPECT_EQ(p.flags, 0) << i;
    if (e.default_value)
      EXPECT_STREQ(p.default_value, e.default_value) << i;
    else
      EXPECT_EQ(p.default_value, nullptr) << i;
    if (e.list)
      EXPECT_STREQ(p.value_list, e.list) << i;
    else
      EXPECT_EQ(p.value_list, nullptr) << i;
    ASSERT_NE(p.variable_address, nullptr) << i;
    for (int32_t j = 0; j < i; ++j) EXPECT_NE(seen[j], p.variable_address) << i << " " << j;
    seen[i] = p.variable_address;
  }
  SEPinProperties p;
  std::memset(&p, 0, sizeof p);
  EXPECT_FALSE(rig.osc().GetPinProperties(18, &p));
  EXPECT_FALSE(rig.osc().GetPinProperties(-1, &p));
}

TEST(OscModule, PinsFollowTheHostVersionWindow) {
  OscRig rig;
  struct Case {
    int32_t version;
    bool answer, filled;
  };
  for (const Case& c : {Case{100113, false, false}, Case{100114, true, true},
                        Case{200073, true, true}, Case{200074, false, true}}) {
    rig.host.version = c.version;
    for (int32_t pin : {0, 17}) {
      SEPinProperties p;
      std::memset(&p, 0, sizeof p);
      EXPECT_EQ(rig.osc().GetPinProperties(pin, &p), c.answer) << c.version;
      EXPECT_EQ(p.name != nullptr, c.filled) << c.version;
    }
  }
}

TEST(OscModule, OpenStartsIdleAndAsksAboutTheLink) {
  OscRig rig;
  rig.Open();
  EXPECT_EQ(rig.Process(), &SEModule_base::ProcessNothing);
  EXPECT_EQ(rig.host.CountOf(HOST_PROCESS_CHANGED), 0);
  EXPECT_EQ(rig.osc().PreviousSync(), -1.0f);
  EXPECT_EQ(rig.osc().Phase(), 0.0);
  EXPECT_TRUE(rig.osc().LinkConnected());
  const auto asked = rig.host.CallsOf(HOST_PIN_CONNECTED);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].index, PIN_LINK);
  EXPECT_EQ(rig.assertions, 0);
}

TEST(OscModule, UnconnectedLinkIgnoresEveryPin) {
  OscRig rig;
  rig.Open(false);
  rig.host.Clear();
  rig.StartLinked(true);
  rig.SetEnum(PIN_HOLD, 1);
  rig.SetAudio(PIN_SYNC, 0.3f, PS_STREAMING);
  rig.SetEnum(PIN_ACTIVE, 0);
  rig.Run(0, 64);
  EXPECT_EQ(rig.host.CountOf(HOST_PIN_STATUS), 0);
  EXPECT_EQ(rig.host.CountOf(HOST_PROCESS_CHANGED), 0);
  EXPECT_EQ(rig.host.CountOf(HOST_SLEEP), 0);
  EXPECT_EQ(rig.Process(), &SEModule_base::ProcessNothing);
  EXPECT_EQ(rig.osc().CurrentTable(), nullptr);
  EXPECT_EQ(rig.assertions, 0);
}

TEST(OscModule, ActiveIsOffByDefaultAndSleeps) {
  OscRig rig(256);
  rig.Open();
  rig.Fill(PIN_OUTPUT, 0.7f);
  rig.StartLinked(false);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessOff>());
  // The initial HOLD OFF while inactive holds first, then Active OFF turns off.
  EXPECT_EQ(StatusesSent(rig.host, PS_ONE_CHANGE), 2);
  EXPECT_EQ(StatusesSent(rig.host, PS_STREAMING), 0);
  rig.Run(0, 256);
  for (int32_t k = 0; k < 256; ++k) ASSERT_EQ(rig.Out()[k], 0.0f);
  EXPECT_EQ(rig.host.CountOf(HOST_SLEEP), 1);

  rig.NextBlock();
  rig.host.Clear();
  rig.SetEnum(PIN_ACTIVE, 1);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessBlockPitch>());
  EXPECT_EQ(StatusesSent(rig.host, PS_STREAMING), 1);
  const auto sent = rig.host.CallsOf(HOST_PIN_STATUS);
  EXPECT_EQ(sent.back().PtrValue(), rig.Clock());
}

struct SelectCase {
  int32_t pitch_status, adjust_status;
  int16_t pitchmod_accuracy;
  int32_t sync_status;
  int16_t sync_accuracy, pitch_mode;
  SEProcessEntry process;
};

TEST(OscModule, ReselectChoosesTheKernelFromPinStates) {
  const SEProcessEntry block = EntryOf<&Module::ProcessBlockPitch>();
  const SEProcessEntry sample = EntryOf<&Module::ProcessSamplePitch>();
  const SEProcessEntry reset = EntryOf<&Module::ProcessSyncReset>();
  const SEProcessEntry oct = EntryOf<&Module::ProcessSyncOct>();
  const SEProcessEntry linear = EntryOf<&Module::ProcessSyncLinear>();
  const int32_t S = PS_STATIC, T = PS_STREAMING;
  const SelectCase cases[] = {
      {S, S, 1, S, 1, 0, block}, {T, S, 1, S, 1, 0, sample}, {S, T, 1, S, 1, 0, sample},
      {T, T, 0, S, 1, 0, block}, {T, S, 1, T, 0, 0, reset},  {S, S, 1, T, 0, 2, reset},
      {S, S, 1, T, 1, 0, oct},   {T, S, 1, T, 1, 1, linear}, {S, S, 1, T, 1, 2, linear},
      {S, S, 1, T, 7, 0, block},  // an accuracy beyond the list keeps the function
  };
  for (const SelectCase& c : cases) {
    OscRig rig;
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_PITCHMOD_ACCURACY, c.pitchmod_accuracy);
    rig.SetEnum(PIN_SYNC_ACCURACY, c.sync_accuracy);
    rig.SetEnum(PIN_PITCH_MODE, c.pitch_mode);
    rig.SetAudio(PIN_PITCH, 0.5f, c.pitch_status);
    rig.SetAudio(PIN_PITCH_ADJUST, 0.0f, c.adjust_status);
    rig.SetAudio(PIN_SYNC, 0.0f, c.sync_status);
    EXPECT_EQ(rig.Process(), c.process) << c.pitch_status << c.adjust_status << c.pitchmod_accuracy
                                        << c.sync_status << c.sync_accuracy << c.pitch_mode;
    EXPECT_EQ(rig.assertions, 0);
  }
}

TEST(OscModule, HoldAndActiveInteract) {
  OscRig rig;
  rig.Open();
  rig.StartLinked(true);
  rig.host.Clear();
  rig.SetEnum(PIN_HOLD, 1);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessHold>());
  EXPECT_EQ(StatusesSent(rig.host, PS_ONE_CHANGE), 1);

  // Active ON while holding: announced as streaming, but still holding.
  rig.host.Clear();
  rig.SetEnum(PIN_ACTIVE, 1);
  EXPECT_EQ(StatusesSent(rig.host, PS_STREAMING), 1);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessHold>());
  // Events that reselect are held off too.
  rig.SetAudio(PIN_PITCH, 0.3f);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessHold>());

  rig.SetEnum(PIN_ACTIVE, 0);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessOff>());
  // HOLD OFF while inactive selects holding, not off.
  rig.host.Clear();
  rig.SetEnum(PIN_HOLD, 0);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessHold>());
  EXPECT_EQ(StatusesSent(rig.host, PS_ONE_CHANGE), 1);

  rig.SetEnum(PIN_ACTIVE, 1);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessBlockPitch>());
  // HOLD OFF while running: streaming again, kernel stays.
  rig.host.Clear();
  rig.SetEnum(PIN_HOLD, 0);
  EXPECT_EQ(StatusesSent(rig.host, PS_STREAMING), 1);
  EXPECT_EQ(rig.Process(), EntryOf<&Module::ProcessBlockPitch>());
}

TEST(OscModule, StaticSyncStepsResetThePhase) {
  struct Case {
    float before, after;
    bool reset;
  };
  for (const Case& c :
       {Case{0.0f, 0.5f, true}, Case{-0.3f, 0.1f, true}, Case{-0.0f, 0.2f, true},
        Case{0.2f, 0.6f, false}, Case{0.2f, 0.0f, false}, Case{-0.2f, -0.1f, false}}) {
    OscRig rig;
    rig.Open();
    rig.StartLinked(true);
    rig.SetAudio(PIN_SYNC, c.before);
    rig.Run(0, 100);  // phase moves on
    ASSERT_GT(rig.osc().Phase(), 0.0);
    rig.SetAudio(PIN_SYNC, c.after);
    EXPECT_EQ(rig.osc().Phase() == 0.0, c.reset) << c.before << " -> " << c.after;
    EXPECT_EQ(rig.osc().PreviousSync(), c.after);
  }
  // After open the previous value is -1, so a first positive value resets.
  OscRig rig;
  rig.Open();
  rig.StartLinked(true);
  rig.Run(0, 100);
  rig.SetAudio(PIN_SYNC, 0.4f);
  EXPECT_EQ(rig.osc().Phase(), 0.0);
}

TEST(OscModule, FreqLimitIsSampledAtItsEventsAndNeverBelowOneHertz) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float value, limit;
  };
  for (const Case& c : {Case{2200.0f, 22000.0f}, Case{10.0f, 100.0f}, Case{0.1f, 1.0f},
                        Case{0.0f, 1.0f}, Case{-5.0f, 1.0f}, Case{nan, 1.0f}}) {
    OscRig rig;
    rig.Open();
    rig.StartLinked(true);
    rig.SetAudio(PIN_FREQ_LIMIT, c.value);
    EXPECT_EQ(rig.osc().LimitHz(), c.limit) << c.value;
  }
  // A streaming limit is not followed per sample.
  OscRig rig;
  rig.Open();
  rig.StartLinked(true);
  rig.SetAudio(PIN_FREQ_LIMIT, 50.0f, PS_STREAMING);
  rig.Fill(PIN_FREQ_LIMIT, 3.0f);
  rig.Run(0, 64);
  EXPECT_EQ(rig.osc().LimitHz(), 500.0f);
}

TEST(OscModule, HarmonicsGiveTheMaximumCount) {
  struct Case {
    int16_t value;
    uint32_t maximum;
  };
  // Values beyond the list still name one of the 512 sub-tables.
  for (const Case& c :
       {Case{511, 512}, Case{0, 1}, Case{47, 48}, Case{1000, 512}, Case{-5, 1}, Case{-1, 1}}) {
    OscRig rig;
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_HARMONICS, c.value);
    EXPECT_EQ(rig.osc().MaximumHarmonics(), c.maximum) << c.value;
  }
}

TEST(OscModule, PitchModeRecomputesTheIncrementFromTheCurrentPitch) {
  OscRig rig(64, 44100.0f);
  rig.Open();
  rig.StartLinked(true);
  rig.SetAudio(PIN_PITCH, 0.1f);
  rig.SetAudio(PIN_PITCH_ADJUST, 0.02f);
  EXPECT_EQ(rig.osc().Increment(), OctaveIncrement(0.1f + 0.02f, Rounding::NEAREST));
  rig.SetEnum(PIN_PITCH_MODE, PITCH_MODE_KHZ);
  EXPECT_EQ(rig.osc().Increment(), static_cast<double>(0.1f + 0.02f) * g_pitch_tables.khz_factor);
  rig.SetEnum(PIN_PITCH_MODE, PITCH_MODE_HZ);
  EXPECT_EQ(rig.osc().Increment(), static_cast<double>(0.1f + 0.02f) * g_pitch_tables.hz_factor);
  EXPECT_NEAR(rig.osc().Increment() * 44100.0, 1.2, 1e-6);  // 1.2 V = 1.2 Hz
  rig.SetEnum(PIN_PITCH_MODE, PITCH_MODE_OCT);
  EXPECT_NEAR(rig.osc().Increment() * 44100.0, 13.75 * std::pow(2.0, 1.2), 1e-3);
}

TEST(OscModule, WaveformPicksItsDirectoryEntryWhileLinked) {
  OscRig rig;
  rig.Open();
  rig.StartLinked(true);
  const TableDirectory* d = DirectoryFromLink(rig.DirectoryLink());
  for (int16_t w : {0, 1, 10, 11, 20}) {
    rig.SetEnum(PIN_WAVEFORM, w);
    EXPECT_EQ(rig.osc().CurrentTable(), d->entry[w]) << w;
  }
  for (int16_t w : {21, 254, 255, -1, 256, 32767}) {
    rig.SetEnum(PIN_WAVEFORM, w);
    EXPECT_EQ(rig.osc().CurrentTable(), nullptr) << w;
  }
  // A link value of 0 keeps the last table.
  rig.SetEnum(PIN_WAVEFORM, 3);
  rig.SetLink(0);
  rig.SetEnum(PIN_WAVEFORM, 5);
  EXPECT_EQ(rig.osc().CurrentTable(), d->entry[3]);
  // The link arriving later applies the current Waveform.
  rig.SetLink(rig.DirectoryLink());
  EXPECT_EQ(rig.osc().CurrentTable(), d->entry[5]);
  EXPECT_EQ(rig.assertions, 0);
}

std::vector<float> RenderWithQuality(int16_t quality, SEProcessEntry* process) {
  OscRig rig;
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, 1);
  rig.SetEnum(PIN_WAVE_QUALITY, quality);
  *process = rig.Process();
  rig.Run(0, 256);
  return std::vector<float>(rig.Out(), rig.Out() + 256);
}

TEST(OscModule, WaveQualityChangesNothing) {
  SEProcessEntry a = nullptr, b = nullptr;
  EXPECT_EQ(RenderWithQuality(1, &a), RenderWithQuality(0, &b));
  EXPECT_EQ(a, b);
}

TEST(OscModule, HostWithTooFewPinsGetsAnInertOscillator) {
  OscRig rig;
  rig.host.pin_count = 5;
  rig.Open();
  rig.StartLinked(true);
  EXPECT_EQ(rig.Process(), &SEModule_base::ProcessNothing);
  EXPECT_EQ(rig.host.CountOf(HOST_PIN_STATUS), 0);
}

}  // namespace
