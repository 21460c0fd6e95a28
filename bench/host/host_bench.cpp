// The host's own cost: a chain of modules that do nothing, run block by
// block, so that a module's benchmark through the host can be read net of it.
#include <benchmark/benchmark.h>

#include "host.h"

namespace {

void BuildChain(modhost::Host& host, int32_t modules, int32_t block) {
  host.SetBlockSize(block);
  host.SetLogging(false);
  for (int32_t k = 0; k < modules; ++k) {
    host.AddModule(BENCH_NOOP_LIB, "m" + std::to_string(k));
    if (k > 0) host.Connect("m" + std::to_string(k - 1), "Out", "m" + std::to_string(k), "In");
  }
  host.Start();
  host.Run(block);  // first statuses delivered
}

// Arguments: modules in the chain, block size. Time per block.
void BM_HostBlock(benchmark::State& state) {
  modhost::Host host;
  const auto modules = static_cast<int32_t>(state.range(0));
  const auto block = static_cast<int32_t>(state.range(1));
  BuildChain(host, modules, block);
  for (auto _ : state) host.Run(block);
  state.counters["per_module_ns"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * modules,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HostBlock)
    ->Args({1, 64})
    ->Args({8, 64})
    ->Args({32, 64})
    ->Args({8, 256})
    ->Args({8, 4096});

// One value event per block on the first module: the cost of a split and a delivery.
void BM_HostBlockWithEvent(benchmark::State& state) {
  modhost::Host host;
  const int32_t block = 64;
  BuildChain(host, 8, block);
  for (auto _ : state) {
    host.Set("m0", "In", 1.0);
    host.Run(block);
  }
}
BENCHMARK(BM_HostBlockWithEvent);

}  // namespace

BENCHMARK_MAIN();
