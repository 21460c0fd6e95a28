// The oscillator's kernels through the record's process entry, per sample.
#include <benchmark/benchmark.h>

#include "osc_rig.h"

namespace {

constexpr int32_t BLOCK = 256;

enum Setup { BLOCK_PITCH, SAMPLE_PITCH, SYNCED, SYNCED_BLOCK };

void Run(benchmark::State& state, Setup setup, int16_t waveform) {
  OscRig rig(BLOCK);
  rig.Open();
  rig.StartLinked(true);
  rig.SetEnum(PIN_WAVEFORM, waveform);
  rig.SetAudio(PIN_PHASE, 0.3f);
  if (setup == SAMPLE_PITCH || setup == SYNCED) {
    // A slow vibrato around 440 Hz, read per sample.
    rig.SetAudio(PIN_PITCH, 0.5f, PS_STREAMING);
    for (int32_t k = 0; k < BLOCK; ++k) rig.Buffer(PIN_PITCH)[k] = 0.5f + 0.0001f * k;
  }
  if (setup == SYNCED || setup == SYNCED_BLOCK) {
    // Two rising edges per block.
    rig.SetAudio(PIN_SYNC, 0.0f, PS_STREAMING);
    for (int32_t k = 0; k < BLOCK; ++k) rig.Buffer(PIN_SYNC)[k] = (k / 64) % 2 ? 0.5f : -0.5f;
  }
  SEModuleRecord* record = rig.record();
  for (auto _ : state) {
    record->process(record->object, 0, BLOCK);
    benchmark::DoNotOptimize(rig.Out()[BLOCK - 1]);
  }
  // Seconds per sample (printed with its SI prefix, e.g. "60n" = 60 ns).
  state.counters["per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * BLOCK,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BlockPitchSaw(benchmark::State& s) { Run(s, BLOCK_PITCH, 1); }
void BM_BlockPitchPulseSaw(benchmark::State& s) { Run(s, BLOCK_PITCH, 11); }
void BM_SamplePitchSaw(benchmark::State& s) { Run(s, SAMPLE_PITCH, 1); }
void BM_SamplePitchPulseSaw(benchmark::State& s) { Run(s, SAMPLE_PITCH, 11); }
void BM_SyncedSamplePitchSaw(benchmark::State& s) { Run(s, SYNCED, 1); }
void BM_SyncedBlockPitchSaw(benchmark::State& s) { Run(s, SYNCED_BLOCK, 1); }
void BM_BlockPitchNoise(benchmark::State& s) { Run(s, BLOCK_PITCH, 255); }

BENCHMARK(BM_BlockPitchSaw);
BENCHMARK(BM_BlockPitchPulseSaw);
BENCHMARK(BM_SamplePitchSaw);
BENCHMARK(BM_SamplePitchPulseSaw);
BENCHMARK(BM_SyncedSamplePitchSaw);
BENCHMARK(BM_SyncedBlockPitchSaw);
BENCHMARK(BM_BlockPitchNoise);

}  // namespace

BENCHMARK_MAIN();
