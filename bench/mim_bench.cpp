// Speed of the MIM subset search: MIM_invert_subsets for k = 2 to 5 on a
// filled fitness table of 30 to 60 data. The rate reported is subsets per
// second; the console lines of the search go to a discarded stream.
//
//   cmake -S . -B build-bench -DSORVEL_BENCHMARKS=ON -DBUILD_TESTING=OFF
//   cmake --build build-bench -j2 --target sorvel_bench
//   build-bench/sorvel_bench --benchmark_filter=MimInvertSubsets
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/subset_inversion.h"
#include "common/state.h"
#include "shell/error_reporter.h"

namespace {

void fill_random_table(int32_t n) {
  release_tables();
  faults.count = static_cast<int16_t>(n);
  fitness_table.columns = n;
  fitness_table.scores = static_cast<int8_t*>(std::malloc(static_cast<size_t>(n) * GSS_SIZE));
  std::mt19937 random(1);
  std::uniform_int_distribution<int> score(-100, 100);
  for (size_t e = 0; e < static_cast<size_t>(n) * GSS_SIZE; ++e)
    fitness_table.scores[e] = static_cast<int8_t>(score(random));
}

// The search writes progress lines; while timed they go to /dev/null,
// and the console comes back for the benchmark's own report.
int silence_console() {
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  close(null);
  return saved;
}

void restore_console(int saved) {
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
}

void BM_MimInvertSubsets(benchmark::State& state) {
  const int8_t k = static_cast<int8_t>(state.range(0));
  const int32_t n = static_cast<int32_t>(state.range(1));
  fill_random_table(n);
  int console = silence_console();
  for (auto _ : state) {
    MIM_invert_subsets(k);
    benchmark::DoNotOptimize(gss[0].fitness);
  }
  restore_console(console);
  const int32_t subsets = count_combinations(static_cast<int16_t>(n), k);
  state.SetItemsProcessed(state.iterations() * subsets);
  state.counters["subsets"] = subsets;
  release_tables();
}

// Pairs and triples on 30 and 60 data, quadruples on 30 and 40, quintuples
// on 30: each run stays under a minute.
BENCHMARK(BM_MimInvertSubsets)
    ->Args({2, 30})
    ->Args({2, 60})
    ->Args({3, 30})
    ->Args({3, 60})
    ->Args({4, 30})
    ->Args({4, 40})
    ->Args({5, 30})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
