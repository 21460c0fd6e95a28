// The oscillator's process functions against an independent rendering.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "osc_rig.h"
#include "pitch.h"
#include "wave_tables.h"

namespace {

constexpr int32_t BLOCK = 256;

const TableDirectory& Tables() {
  static float work[TABLE_HARMONICS];
  return *EnsureWaveTables(work);
}

const float* SubTable(int32_t waveform, int32_t harmonics) {
  return Tables().entry[waveform] + (harmonics - 1) * TABLE_STRIDE;
}

// Interpolation written from the definition, with the library's floor.
double Lookup(const float* t, double p) {
  const double i = std::floor(p);
  const double f = p - i;
  const int64_t j = ((static_cast<int64_t>(i) % 1024) + 1024) % 1024;
  return static_cast<float>(t[j] + f * (t[j + 1] - t[j]));
}

// Renders `count` samples of a plain or pulse waveform from phase 0 with a
// fixed increment and a per-sample width.
std::vector<double> Reference(const float* table, bool pulse, bool modulated, double inc,
                              const std::function<float(int32_t)>& width, int32_t count) {
  std::vector<double> out(count);
  for (int32_t k = 0; k < count; ++k) {
    const double p = k * inc;
    const double w = modulated || pulse ? width(k) : width(0);
    out[k] = pulse ? Lookup(table, (w + p) * 1024) - Lookup(table, p * 1024)
                   : Lookup(table, (w + p) * 1024);
  }
  return out;
}

void ExpectRendered(OscRig& rig, const std::vector<double>& expected, int32_t from, int32_t count,
                    double tolerance, const char* what) {
  for (int32_t k = 0; k < count; ++k)
    ASSERT_NEAR(rig.Out()[k], expected[from + k], tolerance) << what << " sample " << from + k;
}

struct BlockCase {
  const char* what;
  int16_t waveform;
  int16_t limit_system;
  int16_t harmonics;  // enumeration value: count - 1
  float pitch_ref;
  float width;                 // constant Phase/Pulse Width
  float width_slope;           // per sample, when modulated
  int32_t expected_harmonics;  // sub-table used; 0 for the sine
};

class BlockPitch : public ::testing::TestWithParam<BlockCase> {};

TEST_P(BlockPitch, RendersTheChosenTableAcrossBlocks) {
  const BlockCase& c = GetParam();
  OscRig rig(BLOCK);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, c.waveform);
  rig.SetEnum(PIN_LIMIT_SYSTEM, c.limit_system);
  rig.SetEnum(PIN_HARMONICS, c.harmonics);
  rig.SetAudio(PIN_PITCH_REF, c.pitch_ref);
  const bool modulated = c.width_slope != 0.0f;
  auto width = [&](int32_t k) { return c.width + c.width_slope * k; };
  rig.SetAudio(PIN_PHASE, c.width, modulated ? PS_STREAMING : PS_ONE_CHANGE);
  ASSERT_EQ(rig.Process(), EntryOf<&Module::ProcessBlockPitch>());

  const float* table =
      c.expected_harmonics ? SubTable(c.waveform, c.expected_harmonics) : Tables().entry[0];
  const bool pulse = c.waveform >= 11 && c.waveform <= 20;
  const double inc = rig.osc().Increment();
  EXPECT_NEAR(inc * 44100.0, 440.0, 1e-3);
  const std::vector<double> expected = Reference(table, pulse, modulated, inc, width, 2 * BLOCK);
  for (int32_t block = 0; block < 2; ++block) {
    for (int32_t k = 0; k < BLOCK; ++k) rig.Buffer(PIN_PHASE)[k] = width(block * BLOCK + k);
    if (!modulated) rig.Fill(PIN_PHASE, c.width);
    rig.Run(0, BLOCK);
    ExpectRendered(rig, expected, block * BLOCK, BLOCK, 2e-6, c.what);
    rig.NextBlock();
  }
  EXPECT_EQ(rig.assertions, 0);
}

// 440 Hz with a limit of 22000 Hz: 50 harmonics under "A".
INSTANTIATE_TEST_SUITE_P(
    Kernels, BlockPitch,
    ::testing::Values(BlockCase{"sine", 0, 1, 511, 0.5f, 0.0f, 0.0f, 0},
                      BlockCase{"sine ignores harmonics", 0, 0, 0, 0.5f, 0.0f, 0.0f, 0},
                      BlockCase{"saw A", 1, 1, 511, 0.5f, 0.0f, 0.0f, 50},
                      BlockCase{"saw offset", 1, 1, 511, 0.5f, 0.25f, 0.0f, 50},
                      BlockCase{"saw OFF", 1, 0, 511, 0.5f, 0.0f, 0.0f, 512},
                      BlockCase{"saw OFF harmonics 8", 1, 0, 7, 0.5f, 0.0f, 0.0f, 8},
                      BlockCase{"triangle A capped", 6, 1, 31, 0.5f, 0.0f, 0.0f, 32},
                      // Pitch Ref 7 V is 1760 Hz: 12 harmonics under "B".
                      BlockCase{"square B", 5, 2, 511, 0.7f, 0.0f, 0.0f, 12},
                      BlockCase{"peak modulated", 7, 1, 511, 0.5f, -0.3f, 0.001f, 50},
                      BlockCase{"pulse square", 15, 1, 511, 0.5f, 0.3f, 0.0f, 50},
                      BlockCase{"pulse saw modulated", 11, 1, 511, 0.5f, 0.1f, 0.0007f, 50}));

TEST(Kernels, SamplePitchFollowsEverySample) {
  for (int16_t waveform : {1, 11}) {
    OscRig rig(BLOCK);
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_WAVEFORM, waveform);
    rig.SetAudio(PIN_PHASE, 0.2f);
    rig.SetAudio(PIN_PITCH, 0.5f, PS_STREAMING);
    ASSERT_EQ(rig.Process(), EntryOf<&Module::ProcessSamplePitch>());
    for (int32_t k = 0; k < BLOCK; ++k) rig.Buffer(PIN_PITCH)[k] = 0.4f + 0.001f * k;
    // Two calls; the increments always land at the start of the work buffer.
    rig.Run(0, 100);
    rig.Run(100, 156);
    const bool pulse = waveform == 11;
    const float* inc = rig.Buffer(PIN_INCREMENTS);
    for (int32_t k = 0; k < 156; ++k) {
      const double expected = OctaveIncrement(0.4f + 0.001f * (100 + k), Rounding::DOWN);
      ASSERT_EQ(inc[k], static_cast<float>(expected * (pulse ? 1024.0 : 1.0))) << k;
    }
    // Reference: the same increments, harmonic count from each call's first pitch.
    double p = 0.0;
    for (int32_t k = 0; k < BLOCK; ++k) {
      const int32_t first = k < 100 ? 0 : 100;
      const float e = 0.4f + 0.001f * first;
      const uint32_t count = HarmonicCount(22000.0f, LimitFrequency(e, PITCH_MODE_OCT), 512);
      const float* t = SubTable(waveform, count);
      const double v = pulse ? Lookup(t, 0.2f * 1024.0 + p * 1024) - Lookup(t, p * 1024)
                             : Lookup(t, (p + 0.2f) * 1024);
      ASSERT_NEAR(rig.Out()[k], v, 2e-6) << waveform << " " << k;
      p += static_cast<float>(OctaveIncrement(0.4f + 0.001f * k, Rounding::DOWN));
    }
  }
}

TEST(Kernels, SplittingABlockKeepsThePhaseContinuous) {
  struct Split {
    int32_t start, count;
  };
  const std::vector<Split> whole = {{0, BLOCK}, {0, BLOCK}};
  const std::vector<Split> parts = {{0, 1}, {1, 100}, {101, 155}, {0, 17}, {17, 238}, {255, 1}};
  for (int32_t variant = 0; variant < 4; ++variant) {
    std::vector<float> rendered[2];
    for (int32_t r = 0; r < 2; ++r) {
      OscRig rig(BLOCK);
      rig.Open();
      rig.StartLinked(true);
      rig.SetEnum(PIN_WAVEFORM, variant % 2 ? 15 : 2);
      rig.SetAudio(PIN_PHASE, 0.35f, variant >= 2 ? PS_STREAMING : PS_ONE_CHANGE);
      if (variant >= 2) rig.SetAudio(PIN_PITCH, 0.61f, PS_STREAMING);
      const std::vector<Split>& splits = r == 0 ? whole : parts;
      for (const Split& s : splits) {
        rig.Run(s.start, s.count);
        for (int32_t k = 0; k < s.count; ++k) rendered[r].push_back(rig.Out()[s.start + k]);
        if (s.start + s.count == BLOCK) rig.NextBlock();
      }
    }
    ASSERT_EQ(rendered[0].size(), rendered[1].size());
    for (size_t k = 0; k < rendered[0].size(); ++k)
      ASSERT_NEAR(rendered[0][k], rendered[1][k], 1e-5) << variant << " " << k;
  }
}

// The first 256 output samples at a given block size.
std::vector<float> RenderWithBlocks(int32_t block, int16_t waveform) {
  OscRig rig(block);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, waveform);
  rig.SetAudio(PIN_PHASE, 0.2f);
  std::vector<float> out;
  while (out.size() < 256) {
    rig.Run(0, block);
    out.insert(out.end(), rig.Out(), rig.Out() + block);
    rig.NextBlock();
  }
  out.resize(256);
  return out;
}

TEST(Kernels, AnyBlockSizeFromOneUp) {
  for (int16_t waveform : {0, 4, 14}) {
    const std::vector<float> reference = RenderWithBlocks(256, waveform);
    for (int32_t block : {1, 3, 64}) {
      const std::vector<float> out = RenderWithBlocks(block, waveform);
      for (size_t k = 0; k < out.size(); ++k)
        ASSERT_NEAR(out[k], reference[k], 1e-5) << waveform << " block " << block << " " << k;
    }
  }
  // Holding with one-sample blocks repeats the last sample.
  OscRig rig(1);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, 1);
  for (int32_t k = 0; k < 10; ++k, rig.NextBlock()) rig.Run(0, 1);
  const float last = rig.Out()[0];
  rig.SetEnum(PIN_HOLD, 1);
  for (int32_t k = 0; k < 5; ++k, rig.NextBlock()) {
    rig.Run(0, 1);
    ASSERT_EQ(rig.Out()[0], last);
  }
}

TEST(Kernels, PitchIsRightAtEverySampleRate) {
  for (float rate : {8000.0f, 44100.0f, 96000.0f, 384000.0f}) {
    OscRig rig(64, rate);
    rig.Open();
    rig.StartLinked(true);
    EXPECT_NEAR(rig.osc().Increment() * rate, 440.0, 1e-3) << rate;
    rig.SetEnum(PIN_PITCH_MODE, PITCH_MODE_KHZ);
    EXPECT_NEAR(rig.osc().Increment() * rate, 5000.0, 1e-2) << rate;
  }
  // No usable rate: the tables stay finite (as for 44100 Hz).
  OscRig rig(64, 0.0f);
  rig.Open();
  rig.StartLinked(true);
  EXPECT_NEAR(rig.osc().Increment() * 44100.0, 440.0, 1e-3);
  rig.Run(0, 64);
  for (int32_t k = 0; k < 64; ++k) ASSERT_TRUE(std::isfinite(rig.Out()[k]));
}

TEST(Kernels, NoiseStartsFromItsSeeds) {
  OscRig rig(BLOCK);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, 255);
  rig.Run(0, 64);  // default width 0: silent, but the generator runs
  for (int32_t k = 0; k < 64; ++k) ASSERT_EQ(rig.Out()[k], 0.0f);

  OscRig fresh(BLOCK);
  fresh.Open();
  fresh.StartLinked(true);
  fresh.SetEnum(PIN_WAVEFORM, 255);
  fresh.SetAudio(PIN_PHASE, 1.0f);
  fresh.Run(0, 3);
  EXPECT_NEAR(fresh.Out()[0], 0.470, 0.0005);
  EXPECT_NEAR(fresh.Out()[1], 0.411, 0.0005);
  EXPECT_NEAR(fresh.Out()[2], 0.012, 0.0005);
  // Scaled by the width input, per sample.
  OscRig scaled(BLOCK);
  scaled.Open();
  scaled.StartLinked(true);
  scaled.SetEnum(PIN_WAVEFORM, 255);
  scaled.SetAudio(PIN_PHASE, -0.5f);
  scaled.Run(0, 3);
  for (int32_t k = 0; k < 3; ++k) EXPECT_EQ(scaled.Out()[k], fresh.Out()[k] * -0.5f);
  EXPECT_EQ(fresh.osc().Phase(), 0.0);
}

TEST(Kernels, PulseWithWidthZeroIsSilent) {
  for (int16_t waveform = 11; waveform <= 20; ++waveform) {
    OscRig rig(BLOCK);
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_WAVEFORM, waveform);
    rig.SetAudio(PIN_PITCH, 0.37f, PS_STREAMING);
    for (int32_t call = 0; call < 2; ++call) {
      rig.Run(0, BLOCK);
      for (int32_t k = 0; k < BLOCK; ++k) ASSERT_EQ(rig.Out()[k], 0.0f) << waveform;
      rig.NextBlock();
    }
  }
}

// A synced sine from a static start: sync values, then the expected phase
// at every sample, modelled from the definition.
struct SyncRun {
  OscRig rig{BLOCK};
  double inc = 0.0;
  explicit SyncRun(int16_t accuracy, float previous) {
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_SYNC_ACCURACY, accuracy);
    rig.SetAudio(PIN_SYNC, previous);
    rig.SetAudio(PIN_SYNC, previous, PS_STREAMING);
    inc = rig.osc().Increment();
  }
};

TEST(Kernels, SyncResetsAtRisingEdgesOnly) {
  SyncRun run(0, 0.0f);
  ASSERT_EQ(run.rig.Process(), EntryOf<&Module::ProcessSyncReset>());
  float* sync = run.rig.Buffer(PIN_SYNC);
  for (int32_t k = 0; k < BLOCK; ++k) sync[k] = 0.3f;  // edge on the first sample
  sync[50] = -0.0f;
  sync[51] = 0.2f;  // -0.0 to positive: an edge
  sync[52] = 0.9f;  // rising but already positive: none
  sync[120] = 0.0f;
  sync[121] = 0.0f;    // zero to zero: none
  sync[122] = 1e-30f;  // any positive value after zero: an edge
  run.rig.Run(0, BLOCK);
  double p = 0.0;
  for (int32_t k = 0; k < BLOCK; ++k) {
    if (k == 0 || k == 51 || k == 122) p = 0.0;
    ASSERT_NEAR(run.rig.Out()[k], Lookup(Tables().entry[0], p * 1024), 1e-5) << k;
    p += run.inc;
  }
  EXPECT_EQ(run.rig.osc().PreviousSync(), 0.3f);
}

TEST(Kernels, SyncThatStaysAtOrBelowZeroNeverResets) {
  SyncRun synced(0, -0.5f);
  SyncRun plain(0, -0.5f);
  plain.rig.SetAudio(PIN_SYNC, -0.5f);  // not streaming: the plain kernel
  ASSERT_EQ(plain.rig.Process(), EntryOf<&Module::ProcessBlockPitch>());
  for (int32_t k = 0; k < BLOCK; ++k) synced.rig.Buffer(PIN_SYNC)[k] = k % 3 ? -0.0f : -0.01f * k;
  for (int32_t call = 0; call < 3; ++call) {
    synced.rig.Run(0, BLOCK);
    plain.rig.Run(0, BLOCK);
    for (int32_t k = 0; k < BLOCK; ++k) ASSERT_EQ(synced.rig.Out()[k], plain.rig.Out()[k]);
    synced.rig.NextBlock();
    plain.rig.NextBlock();
  }
}

TEST(Kernels, HighAccuracySyncStartsPastTheCrossing) {
  struct Case {
    float prev, cur;
  };
  for (const Case& c : {Case{0.0f, 0.4f}, Case{-0.1f, 0.3f}, Case{-0.3f, 0.1f}}) {
    for (int16_t mode : {PITCH_MODE_OCT, PITCH_MODE_KHZ}) {
      SyncRun run(1, 0.0f);
      run.rig.SetEnum(PIN_PITCH_MODE, mode);
      if (mode == PITCH_MODE_KHZ) run.rig.SetAudio(PIN_PITCH, 0.05f);  // 500 Hz
      run.inc = run.rig.osc().Increment();
      ASSERT_EQ(run.rig.Process(), mode == PITCH_MODE_OCT ? EntryOf<&Module::ProcessSyncOct>()
                                                          : EntryOf<&Module::ProcessSyncLinear>());
      float* sync = run.rig.Buffer(PIN_SYNC);
      for (int32_t k = 0; k < BLOCK; ++k) sync[k] = k < 40 ? c.prev : c.cur;
      run.rig.Run(0, BLOCK);
      const double r = static_cast<double>(c.cur) / (static_cast<double>(c.cur) - c.prev);
      double p = 0.0;
      for (int32_t k = 0; k < BLOCK; ++k) {
        if (k == 40) p = run.inc * r;
        ASSERT_NEAR(run.rig.Out()[k], Lookup(Tables().entry[0], p * 1024), 1e-5)
            << mode << " " << c.prev << " " << k;
        p += run.inc;
      }
      if (c.prev == 0.0f) {
        EXPECT_EQ(r, 1.0);  // one full increment past the edge
      }
    }
  }
}

TEST(Kernels, HoldRepeatsThePreviousSample) {
  OscRig rig(BLOCK);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, 1);
  rig.Run(0, BLOCK);
  const float last = rig.Out()[BLOCK - 1];
  rig.NextBlock();
  rig.SetEnum(PIN_HOLD, 1);
  rig.Run(0, 64);
  for (int32_t k = 0; k < 64; ++k) ASSERT_EQ(rig.Out()[k], last);
  rig.Run(64, 192);
  for (int32_t k = 64; k < BLOCK; ++k) ASSERT_EQ(rig.Out()[k], last);

  // Mid-block: the sample just before the call.
  rig.NextBlock();
  rig.SetEnum(PIN_HOLD, 0);
  rig.Run(0, 100);
  const float before = rig.Out()[99];
  EXPECT_NE(before, last);
  rig.host.sample_clock = rig.host.block_start + 100;
  rig.SetEnum(PIN_HOLD, 1);
  rig.Run(100, 50);
  for (int32_t k = 100; k < 150; ++k) ASSERT_EQ(rig.Out()[k], before);
}

TEST(Kernels, IdleFunctionsSleepOnceABlockIsWritten) {
  for (bool hold : {false, true}) {
    OscRig rig(256);
    rig.Open();
    rig.StartLinked(true);
    rig.Run(0, 256);
    rig.NextBlock();
    rig.host.Clear();
    rig.SetEnum(hold ? PIN_HOLD : PIN_ACTIVE, hold ? 1 : 0);
    const int32_t expected[] = {0, 0, 0, 1, 2, 3};
    for (int32_t call = 0; call < 6; ++call) {
      rig.Run((call % 4) * 64, 64);
      EXPECT_EQ(rig.host.CountOf(HOST_SLEEP), expected[call]) << hold << " call " << call;
      if (call % 4 == 3) rig.NextBlock();
    }
    if (!hold) {
      for (int32_t k = 0; k < 256; ++k) ASSERT_EQ(rig.Out()[k], 0.0f);
    }
  }
}

TEST(Kernels, PhaseStaysInOneCycleWhateverTheIncrement) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    int16_t mode;
    float pitch;
    bool streaming;
  };
  for (const Case& c : {Case{PITCH_MODE_KHZ, -0.3f, false}, Case{PITCH_MODE_HZ, -700.0f, true},
                        Case{PITCH_MODE_KHZ, -0.3f, true}, Case{PITCH_MODE_KHZ, 1e6f, false},
                        Case{PITCH_MODE_KHZ, 30.0f, true}, Case{PITCH_MODE_KHZ, nan, false},
                        Case{PITCH_MODE_HZ, -inf, true}, Case{PITCH_MODE_OCT, inf, true},
                        Case{PITCH_MODE_OCT, nan, false}}) {
    for (int16_t waveform : {0, 3, 13}) {
      OscRig rig(BLOCK);
      rig.Open();
      rig.StartLinked(true);
      rig.SetEnum(PIN_WAVEFORM, waveform);
      rig.SetEnum(PIN_PITCH_MODE, c.mode);
      rig.SetAudio(PIN_PITCH, c.pitch, c.streaming ? PS_STREAMING : PS_ONE_CHANGE);
      for (int32_t call = 0; call < 6; ++call) {
        rig.Run(0, 1 + call * 40);
        const double phase = rig.osc().Phase();
        ASSERT_GE(phase, 0.0) << c.mode << " " << c.pitch << " " << waveform;
        ASSERT_LT(phase, 1.0) << c.mode << " " << c.pitch << " " << waveform;
        rig.NextBlock();
      }
      EXPECT_EQ(rig.assertions, 0);
    }
  }
}

TEST(Kernels, WildInputsStayInsideTheTables) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {nan, inf, -inf, 1e30f, -1e30f, 3e9f, -3e9f, 0.0f};
  for (int16_t waveform : {0, 1, 11, 255}) {
    OscRig rig(BLOCK);
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_WAVEFORM, waveform);
    rig.SetAudio(PIN_PHASE, 0.0f, PS_STREAMING);
    rig.SetAudio(PIN_PITCH, 0.5f, PS_STREAMING);
    rig.SetAudio(PIN_SYNC, 0.0f, PS_STREAMING);
    for (float v : values) {
      for (int32_t pin : {PIN_PHASE, PIN_PITCH, PIN_SYNC, PIN_PITCH_ADJUST, PIN_PITCH_REF})
        for (int32_t k = 0; k < BLOCK; k += 3) rig.Buffer(pin)[k] = v;
      rig.Run(0, BLOCK);
      ASSERT_GE(rig.osc().Phase(), 0.0);
      ASSERT_LT(rig.osc().Phase(), 1.0);
      rig.NextBlock();
    }
    EXPECT_EQ(rig.assertions, 0);
  }
}

TEST(Kernels, NoTableMeansSilence) {
  // Before the link arrives, and for Waveform values without a table.
  OscRig early(BLOCK);
  early.Open();
  early.Fill(PIN_OUTPUT, 0.5f);
  early.SetEnum(PIN_ACTIVE, 1);
  early.SetAudio(PIN_PITCH, 0.5f);
  ASSERT_EQ(early.Process(), EntryOf<&Module::ProcessBlockPitch>());
  early.Run(0, BLOCK);
  for (int32_t k = 0; k < BLOCK; ++k) ASSERT_EQ(early.Out()[k], 0.0f);

  for (int16_t waveform : {21, 100, 254, -3, 1000}) {
    OscRig rig(BLOCK);
    rig.Open();
    rig.StartLinked(true);
    rig.SetEnum(PIN_WAVEFORM, waveform);
    for (int32_t status : {PS_ONE_CHANGE, PS_STREAMING}) {
      rig.Fill(PIN_OUTPUT, 0.5f);
      rig.SetAudio(PIN_PITCH, 0.5f, status);
      rig.Run(0, BLOCK);
      for (int32_t k = 0; k < BLOCK; ++k) ASSERT_EQ(rig.Out()[k], 0.0f) << waveform;
      rig.NextBlock();
    }
  }
}

TEST(Kernels, AStaleWaveformNeverReadsPastTheSine) {
  // The link drops to 0, then Waveform names a harmonic set: the sine stays
  // current and must be read as a sine, not offset like a set.
  OscRig rig(BLOCK);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_HARMONICS, 511);
  rig.SetEnum(PIN_LIMIT_SYSTEM, 0);
  rig.SetLink(0);
  rig.SetEnum(PIN_WAVEFORM, 5);
  ASSERT_EQ(rig.osc().CurrentTable(), Tables().entry[0]);
  rig.Run(0, BLOCK);
  const double inc = rig.osc().Increment();
  for (int32_t k = 0; k < BLOCK; ++k)
    ASSERT_NEAR(rig.Out()[k], Lookup(Tables().entry[0], k * inc * 1024), 2e-6) << k;
}

}  // namespace
