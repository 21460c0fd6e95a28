// Cost per sample of the envelope's process functions, called through the
// record's process entry the way the host calls them.
#include <benchmark/benchmark.h>

#include <vector>

#include "curve_shapes.h"
#include "env_rig.h"

namespace {

constexpr int32_t BLOCK = 256;

RigOptions BenchOptions() {
  RigOptions o;
  o.sample_rate = 44100.0f;
  o.block_size = BLOCK;
  o.length = 4 * BLOCK;
  o.record_calls = false;
  return o;
}

// Calls the process entry on whole blocks for as long as the benchmark runs.
void RunBlocks(benchmark::State& state, EnvRig& rig) {
  SEModuleRecord* record = rig.Voice().Record();
  for (auto _ : state) {
    record->process(record->object, 0, BLOCK);
    rig.Host().Clear();
  }
  // Seconds per sample, shown with an SI prefix ("21n" = 21 ns).
  state.counters["per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * BLOCK,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A stage of the given shape long enough never to end during the run.
void BM_RunningStage(benchmark::State& state) {
  const int16_t shape = static_cast<int16_t>(state.range(0));
  EnvelopeData env = DefaultEditorEnvelope();
  env.time[0] = 1e6f;
  env.shape[0] = shape;
  EnvRig rig(BenchOptions());
  rig.Open();
  rig.Start(env);
  rig.Gate(0, 1.0f);
  rig.Run(BLOCK);
  state.SetLabel(ShapeName(shape));
  RunBlocks(state, rig);
}
BENCHMARK(BM_RunningStage)->DenseRange(0, 13);

// Held at the sustain node with a static level scaler (asking to sleep on
// every call, as a host that keeps calling would see it).
void BM_SustainHold(benchmark::State& state) {
  RigOptions o = BenchOptions();
  o.length = 8 * BLOCK;
  EnvRig rig(o);
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  rig.Gate(0, 1.0f);
  rig.Run(6 * BLOCK);  // node 7 is reached after 7 stages of 141 samples
  RunBlocks(state, rig);
}
BENCHMARK(BM_SustainHold);

// A square gate of state.range(0) samples per period, streaming, in
// "Fast Gate/Osc Mode": every rising edge restarts the envelope.
void BM_GateScanAudioRate(benchmark::State& state) {
  const int32_t period = static_cast<int32_t>(state.range(0));
  EnvRig rig(BenchOptions());
  rig.Open();
  EnvelopeData env = DefaultEditorEnvelope();
  env.sustain_node = NODE_OFF;
  rig.Start(env);
  std::vector<float> gate(4 * BLOCK);
  for (size_t i = 0; i < gate.size(); ++i)
    gate[i] = static_cast<int32_t>(i) % period < period / 2 ? 1.0f : 0.0f;
  rig.Enum(0, PN_FAST_GATE, 1);
  rig.TimeScaler(0, 0.01f);  // stages of about 6 samples
  rig.GateStream(0, gate);
  rig.Run(BLOCK);
  RunBlocks(state, rig);
}
BENCHMARK(BM_GateScanAudioRate)->Arg(16)->Arg(100);

}  // namespace

BENCHMARK_MAIN();
