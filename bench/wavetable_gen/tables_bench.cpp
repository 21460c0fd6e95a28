// Building every wave table: the sine and ten sets of 512 sub-tables, about
// 21 MB written. A plain memset of the same size is the floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "wave_tables.h"

namespace {

void BM_BuildAllTables(benchmark::State& state) {
  float work[TABLE_HARMONICS];
  for (auto _ : state) {
    BuildWaveTables(work);
    benchmark::DoNotOptimize(WaveTableDirectory()->entry[10][TABLE_STRIDE * 511 + 100]);
  }
  state.SetBytesProcessed(state.iterations() *
                          (sizeof(SineTable) + HARMONIC_SET_COUNT * sizeof(HarmonicTableSet)));
}
BENCHMARK(BM_BuildAllTables)->Unit(benchmark::kMillisecond);

void BM_OneSet(benchmark::State& state) {
  float work[TABLE_HARMONICS];
  SineTable sine;
  BuildSineTable(&sine);
  std::vector<HarmonicTableSet> set(1);
  for (auto _ : state) {
    FillSpectrum(SPECTRUM_SAW, work);
    FadeAndNormalise(work);
    SynthesiseSet(work, sine, set.data());
    benchmark::DoNotOptimize(set[0].value[1000]);
  }
}
BENCHMARK(BM_OneSet)->Unit(benchmark::kMillisecond);

void BM_MemsetOfTheSameSize(benchmark::State& state) {
  const size_t bytes = sizeof(SineTable) + HARMONIC_SET_COUNT * sizeof(HarmonicTableSet);
  std::vector<char> buffer(bytes);
  for (auto _ : state) {
    std::memset(buffer.data(), state.iterations() & 0x7F, bytes);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_MemsetOfTheSameSize)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
