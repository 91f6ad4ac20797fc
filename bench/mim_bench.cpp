// Speed of the MIM subset search: MIM_invert_subsets for k = 2 to 5 on a
// filled fitness table of 30 to 60 data. The rate reported is subsets per
// second; the search's progress lines are left out.
//
//   cmake -S . -B build-bench -DSORVEL_BENCHMARKS=ON -DBUILD_TESTING=OFF
//   cmake --build build-bench -j2 --target sorvel_bench
//   build-bench/sorvel_bench --benchmark_filter=MimInvertSubsets
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/subset_inversion.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "shell/console.h"

namespace {

void fill_random_table(int32_t n, FitnessTable& table) {
  table.columns = n;
  table.scores.reset(new int8_t[static_cast<size_t>(n) * GSS_SIZE]);
  std::mt19937 random(1);
  std::uniform_int_distribution<int> score(-100, 100);
  for (size_t e = 0; e < static_cast<size_t>(n) * GSS_SIZE; ++e)
    table.scores[e] = static_cast<int8_t>(score(random));
}

void BM_MimInvertSubsets(benchmark::State& state) {
  const int8_t k = static_cast<int8_t>(state.range(0));
  const int32_t n = static_cast<int32_t>(state.range(1));
  FitnessTable table;
  fill_random_table(n, table);
  // The search orders the grid's states by their stress.
  Gss gss;
  if (!is_GSS_generation_successful(gss)) {
    state.SkipWithError("the grid could not be made");
    return;
  }
  compute_stress_tensors(gss);
  // The search's progress lines are left out while it is timed.
  RunSettings settings = console_run_settings(0, true);
  GridValues votes;
  for (auto _ : state) {
    MIM_invert_subsets(gss, table, k, settings, votes);
    benchmark::DoNotOptimize(votes.data());
  }
  const int32_t subsets = count_combinations(n, k);
  state.SetItemsProcessed(state.iterations() * subsets);
  state.counters["subsets"] = subsets;
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
