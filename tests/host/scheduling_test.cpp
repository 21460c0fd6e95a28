// Block-by-block running: events split process calls at their exact samples,
// time stamps and sample clocks agree, inputs hold their stored values.
#include <gtest/gtest.h>

#include "host.h"
#include "probe.h"

using modhost::Host;
using modhost::Observation;
using modhost::ObservationKind;

namespace {

// Process calls and events of one module as (clock, start, count) / (clock, stamp).
std::vector<std::pair<int32_t, int32_t>> Ranges(const modhost::ObservationLog& log) {
  std::vector<std::pair<int32_t, int32_t>> ranges;
  for (const auto& call : log.ProcessCalls()) ranges.emplace_back(call.clock, call.count);
  return ranges;
}

TEST(Scheduling, EventsSplitProcessCallsAtTheirSample) {
  Host host;
  host.SetBlockSize(64);
  host.AddModule(FX_RECORDER, "rec");
  host.SetAt(10, "rec", "Offset", 0.5);
  host.SetAt(64, "rec", "Offset", 0.25);  // on a block edge: no split
  host.SetAt(100, "rec", "Count", 3);
  host.SetAt(100, "rec", "Choice", "High");  // two events at one sample: one split
  host.Run(192);

  const auto ranges = Ranges(host.Log("rec"));
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {0, 10}, {10, 54}, {64, 36}, {100, 28}, {128, 64}};
  EXPECT_EQ(ranges, expected);
  for (const auto& call : host.Log("rec").ProcessCalls()) {
    EXPECT_EQ(call.start, call.clock % 64) << "offset into the block's buffers";
  }
}

TEST(Scheduling, EveryEventArrivesWithTheSampleClockAtItsStamp) {
  Host host;
  host.SetBlockSize(32);
  host.AddModule(FX_RECORDER, "rec");
  for (int32_t clock : {0, 1, 31, 32, 33, 95}) host.SetAt(clock, "rec", "Offset", clock * 0.1);
  host.Run(128);

  const auto& entries = host.Log("rec").Entries();
  int checked = 0;
  for (size_t k = 0; k < entries.size(); ++k) {
    if (entries[k].kind != ObservationKind::Event) continue;
    EXPECT_EQ(entries[k].event.time_stamp, entries[k].clock);
    // The module's own SampleClock inside the handler is the stamp too.
    for (size_t j = k + 1; j < entries.size(); ++j) {
      if (entries[j].kind == ObservationKind::HostCall && entries[j].opcode == HOST_SAMPLE_CLOCK) {
        EXPECT_EQ(entries[j].clock, entries[k].event.time_stamp);
        break;
      }
    }
    ++checked;
  }
  EXPECT_GE(checked, 6 + 5);  // timeline events plus a first status for every input
}

TEST(Scheduling, StreamValueReadsTheEventsSampleOfTheBuffer) {
  Host host;
  host.SetBlockSize(16);
  host.AddModule(FX_RECORDER, "rec");
  std::vector<float> ramp(64);
  for (size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<float>(k) / 100.0f;
  host.SetAudioSource("rec", "In", ramp);
  host.Run(64);
  // A status event on the audio input comes only at the start; StreamValue then reads sample 0.
  auto probes = host.Log("rec").HostCalls(PROBE_STREAM_VALUE);
  ASSERT_FALSE(probes.empty());
  EXPECT_EQ(probes[0].index, 0);
  EXPECT_FLOAT_EQ(BitsFloat(probes[0].value), 0.0f);
}

TEST(Scheduling, AudioConstantChangesAtItsSampleInsideTheBlock) {
  Host host;
  host.SetBlockSize(16);
  host.AddModule(FX_RECORDER, "rec");
  host.Record("rec", "Out");
  host.SetAt(5, "rec", "In", 3.0);  // volts
  host.Run(32);
  const auto& out = host.Recorded("rec", "Out");
  ASSERT_EQ(out.size(), 32u);
  EXPECT_FLOAT_EQ(out[0], 0.25f);  // default "2.5" volts
  EXPECT_FLOAT_EQ(out[4], 0.25f);
  EXPECT_FLOAT_EQ(out[5], 0.3f);
  EXPECT_FLOAT_EQ(out[31], 0.3f);
  // The handler saw the new value at its own sample.
  bool seen = false;
  for (const auto& probe : host.Log("rec").HostCalls(PROBE_STREAM_VALUE)) {
    if (probe.index == 0 && reinterpret_cast<intptr_t>(reinterpret_cast<void*>(probe.ptr)) == 5) {
      EXPECT_FLOAT_EQ(BitsFloat(probe.value), 0.3f);
      seen = true;
    }
  }
  EXPECT_TRUE(seen);
}

TEST(Scheduling, OpenSequenceAndFirstStatusOfEveryInput) {
  Host host;
  host.SetSampleRate(48000.0f);
  host.SetBlockSize(100);
  host.AddModule(FX_RECORDER, "rec");
  host.Run(1);
  const auto dispatches = host.Log("rec").Dispatches();
  ASSERT_GE(dispatches.size(), 3u);
  EXPECT_EQ(dispatches[0].opcode, MOD_SET_SAMPLE_RATE);
  EXPECT_FLOAT_EQ(dispatches[0].opt, 48000.0f);
  EXPECT_EQ(dispatches[1].opcode, MOD_SET_BLOCK_SIZE);
  EXPECT_EQ(dispatches[1].value, 100);
  EXPECT_EQ(dispatches[2].opcode, MOD_OPEN);

  std::vector<int32_t> pins;
  for (const auto& event : host.Log("rec").Events()) {
    EXPECT_EQ(event.event.event_type, EV_PIN_STATUS);
    EXPECT_EQ(event.clock, 0);
    pins.push_back(event.event.param3);
  }
  EXPECT_EQ(pins, (std::vector<int32_t>{0, 1, 2, 3, 4}));  // inputs only, outputs none

  // Stored values reached the module's variables: defaults as declared.
  std::map<int32_t, float> seen;
  for (const auto& probe : host.Log("rec").HostCalls(PROBE_STREAM_VALUE)) {
    seen[probe.index] = BitsFloat(probe.value);
  }
  EXPECT_FLOAT_EQ(seen[0], 0.25f);  // "2.5" volts
  EXPECT_FLOAT_EQ(seen[1], 0.0f);
  EXPECT_FLOAT_EQ(seen[2], 5.0f);  // "Mid=5"
  EXPECT_FLOAT_EQ(seen[3], 7.0f);
  EXPECT_FLOAT_EQ(seen[4], 'a');
}

struct RateAndBlock {
  float rate;
  int32_t block;
};

class BlockSizes : public ::testing::TestWithParam<RateAndBlock> {};

TEST_P(BlockSizes, OutputIsTheSameWhateverTheBlockSize) {
  Host host;
  host.SetSampleRate(GetParam().rate);
  host.SetBlockSize(GetParam().block);
  host.AddModule(FX_RECORDER, "rec");
  host.Record("rec", "Out");
  host.SetAt(3, "rec", "Offset", 0.5);
  host.SetAt(4097, "rec", "In", -1.0);
  host.Run(5000);
  const auto& out = host.Recorded("rec", "Out");
  ASSERT_EQ(out.size(), 5000u);
  EXPECT_FLOAT_EQ(out[2], 0.25f);
  EXPECT_FLOAT_EQ(out[3], 0.75f);
  EXPECT_FLOAT_EQ(out[4096], 0.75f);
  EXPECT_FLOAT_EQ(out[4097], 0.4f);
  for (const auto& call : host.Log("rec").ProcessCalls()) {
    EXPECT_GE(call.count, 1);
    EXPECT_LE(call.start + call.count, GetParam().block);
  }
}

INSTANTIATE_TEST_SUITE_P(Host, BlockSizes,
                         ::testing::Values(RateAndBlock{8000.0f, 1}, RateAndBlock{44100.0f, 7},
                                           RateAndBlock{96000.0f, 64},
                                           RateAndBlock{384000.0f, 4096}));

TEST(Scheduling, RunsThatEndInsideABlockContinueTheSameBlock) {
  Host host;
  host.SetBlockSize(64);
  host.AddModule(FX_RECORDER, "rec");
  host.Run(10);
  host.Run(100);
  EXPECT_EQ(Ranges(host.Log("rec")),
            (std::vector<std::pair<int32_t, int32_t>>{{0, 10}, {10, 54}, {64, 46}}));
  EXPECT_EQ(host.Now(), 110);
}

}  // namespace

namespace {

TEST(Answers, TheHostAnswersEveryCallAsTheModuleExpects) {
  Host host;
  host.SetBlockSize(16);
  host.SetHostVersion(150000);
  host.AddModule(FX_RELAY, "before");
  host.AddModule(FX_RECORDER, "rec");
  host.AddModule(FX_RELAY, "after");
  host.Connect("before", "Audio Out", "rec", "In");
  host.Connect("rec", "Out", "after", "Audio In");
  host.SetAt(20, "rec", "Offset", 1.0);
  host.Run(48);
  const auto& log = host.Log("rec");

  auto answers = [&](int32_t opcode) {
    std::vector<std::pair<int32_t, int32_t>> seen;  // (index, result)
    for (const auto& call : log.HostCalls(opcode)) seen.emplace_back(call.index, call.result);
    return seen;
  };
  EXPECT_EQ(answers(HOST_PIN_CONNECTED),
            (std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {1, 0}, {5, 1}}));
  for (const auto& count : answers(HOST_PIN_COUNT)) EXPECT_EQ(count.second, 7);
  ASSERT_EQ(log.HostCalls(HOST_PIN_BUFFER).size(), 1u);
  EXPECT_EQ(log.HostCalls(HOST_PIN_BUFFER)[0].result,
            static_cast<int32_t>(reinterpret_cast<intptr_t>(host.Buffer("before", "Audio Out"))))
      << "a connected input reads its source's buffer";
  for (const auto& call : log.HostCalls(HOST_VERSION)) EXPECT_EQ(call.result, 150000);
  for (const auto& call : log.HostCalls(HOST_PIN_BLOCK_START)) {
    EXPECT_EQ(call.result, call.clock - call.clock % 16);
  }
  for (const auto& call : log.HostCalls(HOST_SAMPLE_CLOCK)) EXPECT_EQ(call.result, call.clock);
  // Every process call asked, in blocks 0, 16 (split at 20) and 32.
  EXPECT_EQ(log.ProcessCalls().size(), 4u);
  EXPECT_GE(log.HostCalls(HOST_PIN_BLOCK_START).size(), 4u);
}

}  // namespace
