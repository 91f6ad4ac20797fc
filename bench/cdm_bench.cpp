// Timings of the fitness fill, of a whole CDM run (reading the data to
// writing the results file) for 100, 1,000 and 10,000 data, and of the
// bootstrap's search with the share of its resamples that stopped early.
//   cmake -S . -B build-bench -DSORVEL_BENCHMARKS=ON -DBUILD_TESTING=OFF
//   cmake --build build-bench -j2 --target sorvel_bench
//   build-bench/sorvel_bench --benchmark_filter='Fill|Cdm|Bootstrap'
// bench/run.sh runs these and the whole programs side by side.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/shared_stages.h"
#include "confidence/bootstrap.h"
#include "data/data_file.h"
#include "fitness/fitness_table.h"
#include "fitness/weight_functions.h"
#include "grid/stress_order.h"
#include "shell/console.h"

namespace {

// Random planes with random slip lines in them: the fill does the same
// work whatever the data mean.
std::string random_data_file(int count) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> azimuth(0.0f, 360.0f), dip(5.0f, 85.0f), pitch(0.0f, 180.0f);
  const char senses[] = "NRSD";
  std::string path = (std::filesystem::temp_directory_path() /
                      ("sorvel-bench-" + std::to_string(count) + ".fdt")).string();
  std::FILE* f = std::fopen(path.c_str(), "w");
  for (int i = 0; i < count; ++i) {
    float a = azimuth(random), d = dip(random), p = pitch(random) * 0.017453292f;
    float dr = d * 0.017453292f;
    // The slip line: pitch p from the strike direction a - 90 within the plane.
    float strike = (a - 90.0f) * 0.017453292f, down = a * 0.017453292f;
    float x = std::cos(p) * std::sin(strike) + std::sin(p) * std::cos(dr) * std::sin(down);
    float y = std::cos(p) * std::cos(strike) + std::sin(p) * std::cos(dr) * std::cos(down);
    float z = std::sin(p) * std::sin(dr);
    float trend = std::fmod(std::atan2(x, y) / 0.017453292f + 360.0f, 360.0f);
    float plunge = std::asin(std::fmin(z, 1.0f)) / 0.017453292f;
    std::fprintf(f, "%.1f %.1f %.1f %.1f %c\n", a, d, trend, plunge, senses[i % 4]);
  }
  std::fclose(f);
  return path;
}

void prepare(int count, RunTables& tables) {
  read_data_file(random_data_file(count), tables.faults);
  prepare_scoring("bench", "", ScoreKeeping::table, tables);
}

// Args: number of data, weight function, 1 for the straightforward fill.
void BM_FillFitnessTable(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  const WeightFunction& weight = weight_function_of(static_cast<int>(state.range(1)));
  bool reference = state.range(2) == 1;
  RunTables tables;
  prepare(count, tables);
  RunSettings settings = console_run_settings(0, true);
  settings.reference = reference;
  for (auto _ : state) {
    fill_fitness_table(tables.gss, tables.faults, weight, settings, tables.table);
    benchmark::DoNotOptimize(tables.table.scores.get());
  }
  state.counters["pairs/s"] =
      benchmark::Counter(static_cast<double>(count) * GSS_SIZE, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CdmRun(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  std::string data = random_data_file(count);
  AnalysisRun run;
  run.data_file = data;
  run.results_file = data + ".cdm";
  run.weight_id = 1;
  RunSettings settings = console_run_settings(0, true);
  for (auto _ : state) {
    RankedRun result;
    CDM_run(run, settings, result);
  }
  std::filesystem::remove(run.results_file);
}

// Arg: number of random data (no state stands out: the bounds prune
// least), or 0 for the strike-slip example (a clear best state). 1000
// resamples, the data's table filled beforehand. Counters: the shares of
// the resamples whose search stopped before summing every state, of those
// summed together with others, and of the states summed.
void BM_Bootstrap(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  RunTables tables;
  if (count > 0) {
    prepare(count, tables);
  } else {
    read_data_file(std::string(SORVEL_SOURCE_DIR) + "/examples/strike_slip_faults.fdt", tables.faults);
    prepare_scoring("bench", "", ScoreKeeping::table, tables);
  }
  const RunSettings settings = console_run_settings(0, true);
  fill_fitness_table(tables.gss, tables.faults, weight_function_of(1), settings, tables.table);
  const std::vector<int32_t> order = search_stress_order(tables.gss, settings.threads);
  const ScoreTable table{tables.table.scores.get(), GSS_SIZE, tables.faults.count};
  BootstrapResult result;
  for (auto _ : state)
    result = bootstrap_best_states(table, BootstrapSettings{1000, 1, settings.threads}, nullptr, order);
  const ResampleTally& t = result.tally;
  state.counters["stopped early"] = static_cast<double>(t.resamples_pruned) / t.resamples;
  state.counters["together"] = static_cast<double>(t.resamples_batched) / t.resamples;
  state.counters["states summed"] = static_cast<double>(t.states_summed) / static_cast<double>(t.states_seen);
}

}  // namespace

BENCHMARK(BM_FillFitnessTable)
    ->ArgsProduct({{2000, 10000}, {1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_CdmRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Bootstrap)->Arg(0)->Arg(100)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);
