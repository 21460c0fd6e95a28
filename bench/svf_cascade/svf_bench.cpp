// Cost per sample of the filter kernels, called through the record's
// process entry exactly as a host calls it. Arguments: stages (1 or 8) and
// cutoff mode (0 static, 1 per sample).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "fake_host.h"
#include "module.h"

namespace {

constexpr int32_t BLOCK = 1024;

class Bench {
 public:
  Bench(int16_t cascade, bool per_sample)
      : input(BLOCK), cutoff(BLOCK), resonance(BLOCK, 0.5f), output(BLOCK), gate(BLOCK) {
    host.pin_count = 10;
    module = new Module(&FakeHost::Callback, nullptr);
    record = module->Record();
    record->dispatcher(record, MOD_SET_BLOCK_SIZE, 0, BLOCK, nullptr, 0.0f);
    float* buffers[10] = {input.data(), cutoff.data(), resonance.data(), output.data(),
                          nullptr,      nullptr,       nullptr,          nullptr,
                          nullptr,      gate.data()};
    const int16_t values[10] = {0, 0, 0, 0, 0, cascade, 1, 1, 0, 0};
    for (int32_t i = 0; i < 10; ++i) {
      SEPinProperties p{};
      record->dispatcher(record, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0.0f);
      if (p.datatype == DT_FSAMPLE)
        *static_cast<float**>(p.variable_address) = buffers[i];
      else
        *static_cast<int16_t*>(p.variable_address) = values[i];
    }
    record->dispatcher(record, MOD_OPEN, 0, 0, nullptr, 0.0f);
    for (int32_t i = 0; i < BLOCK; ++i) {
      input[i] = static_cast<float>(0.5 * std::sin(0.01 * i));
      cutoff[i] = static_cast<float>(0.3 + 0.2 * std::sin(0.003 * i));
    }
    const int32_t streaming[10] = {
        PS_STREAMING, per_sample ? PS_STREAMING : PS_STATIC, PS_STATIC, 0, 0, 0, 0, 0, 0, 0};
    for (int32_t pin = 0; pin < 10; ++pin) {
      if (pin == Module::PIN_GATE) continue;
      SETimedEvent e{0, EV_PIN_STATUS, streaming[pin], 0, pin};
      record->event(record->object, &e);
    }
  }
  ~Bench() { record->dispatcher(record, MOD_CLOSE, 0, 0, nullptr, 0.0f); }

  void Block() { record->process(record->object, 0, BLOCK); }

  FakeHost host;
  Module* module;
  SEModuleRecord* record;
  std::vector<float> input, cutoff, resonance, output, gate;
};

void BM_SvfKernel(benchmark::State& state) {
  const int16_t cascade = static_cast<int16_t>(state.range(0) - 1);
  Bench b(cascade, state.range(1) != 0);
  for (auto _ : state) {
    b.Block();
    benchmark::DoNotOptimize(b.output.data());
    benchmark::ClobberMemory();
    b.host.Clear();
  }
  state.SetItemsProcessed(state.iterations() * BLOCK);
  state.counters["ns_per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * BLOCK,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_SvfKernel)
    ->ArgNames({"stages", "per_sample_cutoff"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({8, 0})
    ->Args({8, 1});

}  // namespace

BENCHMARK_MAIN();
