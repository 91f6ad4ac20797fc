// Timings of the fitness fill and of a whole CDM run (reading the data to
// writing the results file) for 100, 1,000 and 10,000 data.
//   cmake -S . -B build-bench -DSORVEL_BENCHMARKS=ON -DBUILD_TESTING=OFF
//   cmake --build build-bench -j2 --target sorvel_bench
//   build-bench/sorvel_bench --benchmark_filter='Fill|Cdm'
// bench/run.sh runs these and the whole programs side by side.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "analyses/cdm/cdm_results.h"
#include "common/state.h"
#include "data/fault_data_reader.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "shell/error_reporter.h"

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

void prepare(int count) {
  release_tables();
  file_names.data_file = random_data_file(count);
  read_data_file();
  prepare_fault_geometry();
  is_GSS_generation_successful();
  compute_stress_tensors();
  allocate_fitness_table();
}

// Args: number of data, weight function, 1 for the straightforward fill.
void BM_FillFitnessTable(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  const WeightFunction& weight = weight_function_of(static_cast<int>(state.range(1)));
  bool reference = state.range(2) == 1;
  prepare(count);
  for (auto _ : state) {
    if (reference) fill_fitness_table_reference(weight);
    else fill_fitness_table(weight);
    benchmark::DoNotOptimize(fitness_table.scores);
  }
  state.counters["pairs/s"] =
      benchmark::Counter(static_cast<double>(count) * GSS_SIZE, benchmark::Counter::kIsIterationInvariantRate);
  release_tables();
}

void BM_CdmRun(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  std::string data = random_data_file(count);
  file_names.results_file = data + ".cdm";
  for (auto _ : state) {
    release_tables();
    file_names.data_file = data;
    read_data_file();
    prepare_fault_geometry();
    is_GSS_generation_successful();
    compute_stress_tensors();
    allocate_fitness_table();
    fill_fitness_table(weight_function_of(1));
    sum_fitness();
    sort_gridpoints();
    shift_fitness();
    CDM_save_results();
    release_tables();
  }
  std::filesystem::remove(file_names.results_file);
}

}  // namespace

BENCHMARK(BM_FillFitnessTable)
    ->ArgsProduct({{2000, 10000}, {1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_CdmRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
