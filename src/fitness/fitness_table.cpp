#include "fitness/fitness_table.h"

#include <limits>
#include <new>

#include "common/constants.h"
#include "common/threads.h"
#include "fitness/fill_reference.h"
#include "fitness/pair_kernels.h"
#include "math/float_functions.h"

// For fewer data than this the sums take less time than starting a second
// thread for them (with its memory) saves.
static const int32_t FEW_DATA = 12;

// GridPoints of a table summed per thread at a time: their sums stay in
// the cache while every column passes.
static const int32_t SUM_BLOCK = 4096;

bool fitness_table_bytes(int32_t n, std::size_t& bytes) {
  std::size_t columns = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (columns > std::numeric_limits<std::size_t>::max() / GSS_SIZE) return false;
  bytes = columns * GSS_SIZE;
  return true;
}

StageResult allocate_fitness_table(int32_t n, FitnessTable& table) {
  table = FitnessTable();
  if (n <= 0) return std::nullopt;
  std::size_t bytes = 0;
  const std::size_t spare = static_cast<std::size_t>(n) * TABLE_COLUMN_SPARE;
  int8_t* block = fitness_table_bytes(n, bytes) && bytes <= std::numeric_limits<std::size_t>::max() - spare
                      ? new (std::nothrow) int8_t[bytes + spare]
                      : nullptr;
  if (block == nullptr) return ErrorReport{"fill_fitness_table", "Memory allocation error", {}, ""};
  table.scores.reset(block);
  table.columns = n;
  table.storage = bytes + spare;
  return std::nullopt;
}

static long score_of_dot(float d, const void* weight) {
  return score_of_weight(static_cast<const WeightFunction*>(weight)->weight(acos_cr(d)));
}

StepTable score_step_table(const WeightFunction& weight) {
  return build_step_table(score_of_dot, &weight);
}

static std::vector<DatumFactors> factors_of(const FaultDatum* data, int32_t n) {
  std::vector<DatumFactors> factors(static_cast<std::size_t>(n > 0 ? n : 0));
  for (int32_t j = 0; j < n; ++j) factors[static_cast<std::size_t>(j)] = datum_factors(data[j]);
  return factors;
}

static int32_t run_count(int32_t points) { return (points + KERNEL_RUN - 1) / KERNEL_RUN; }

// The GridPoints of run r: from r * KERNEL_RUN, at most KERNEL_RUN of them.
static int32_t run_length(int32_t points, int32_t r) {
  const int32_t first = r * KERNEL_RUN;
  return points - first < KERNEL_RUN ? points - first : KERNEL_RUN;
}

void fill_score_columns(const GridPoint* grid, int32_t points, const FaultDatum* data, int32_t n,
                        const StepTable& scores, int8_t* columns, int threads, const int32_t* rows) {
  const std::vector<DatumFactors> factors = factors_of(data, n);
  parallel_for(run_count(points), threads, [&](int32_t r) {
    const int32_t first = r * KERNEL_RUN, count = run_length(points, r);
    const TensorComponents tensors =
        rows != nullptr ? tensor_components(grid, rows + first, count) : tensor_components(grid + first, count);
    for (std::size_t j = 0; j < factors.size(); ++j)
      store_run_scores(tensors, count, factors[j], scores,
                       columns + j * static_cast<std::size_t>(points) + first);
  });
}

std::vector<int32_t> sum_score_columns(const GridPoint* grid, int32_t points,
                                       const FaultDatum* data, int32_t n, const StepTable& scores,
                                       int threads) {
  const std::vector<DatumFactors> factors = factors_of(data, n);
  std::vector<int32_t> sums(static_cast<std::size_t>(points), 0);
  parallel_for(run_count(points), n < FEW_DATA ? 1 : threads, [&](int32_t r) {
    const int32_t first = r * KERNEL_RUN, count = run_length(points, r);
    const TensorComponents tensors = tensor_components(grid + first, count);
    for (const DatumFactors& datum : factors)
      add_run_scores(tensors, count, datum, scores, sums.data() + first);
  });
  return sums;
}

void fill_fitness_table(const Gss& gss, const FaultSet& faults, const WeightFunction& weight,
                        const RunSettings& settings, FitnessTable& table) {
  if (settings.reference) return fill_fitness_table_reference(gss, faults, weight, table);
  if (table.columns == 0) return;
  StepTable scores = score_step_table(weight);
  fill_score_columns(gss.points.data(), GSS_SIZE, faults.data.data(), table.columns, scores,
                     table.scores.get(), settings.threads, table.rows.empty() ? nullptr : table.rows.data());
}

StageResult fill_and_sum_fitness(const Gss& gss, const FaultSet& faults,
                                 const WeightFunction& weight, const RunSettings& settings,
                                 GridValues& fitness) {
  if (settings.reference) {
    FitnessTable table;
    if (StageResult error = allocate_fitness_table(faults.count, table)) return error;
    fill_fitness_table_reference(gss, faults, weight, table);
    fitness = sum_fitness_reference(table);
    return std::nullopt;
  }
  if (faults.count <= 0) {
    fitness.assign(GSS_SIZE, 0);
    return std::nullopt;
  }
  StepTable scores = score_step_table(weight);
#ifdef __EMSCRIPTEN__
  if (shared_fitness_sums(gss, faults.data.data(), faults.count, scores, fitness))
    return std::nullopt;
#endif
  fitness = sum_score_columns(gss.points.data(), GSS_SIZE, faults.data.data(), faults.count, scores,
                              settings.threads);
  return std::nullopt;
}

// Whole numbers add up to the same sum in any order, so blocks of
// GridPoints are summed apart, column after column, into a plain array.
GridValues sum_fitness(const FitnessTable& table, const RunSettings& settings) {
  if (settings.reference) return sum_fitness_reference(table);
  GridValues sums(GSS_SIZE, 0);
  const int32_t blocks = (GSS_SIZE + SUM_BLOCK - 1) / SUM_BLOCK;
  parallel_for(blocks, settings.threads, [&](int32_t b) {
    const int32_t first = b * SUM_BLOCK;
    const int32_t end = first + SUM_BLOCK < GSS_SIZE ? first + SUM_BLOCK : GSS_SIZE;
    int32_t* sum = sums.data();
    for (int32_t j = 0; j < table.columns; ++j) {
      const int8_t* column = table.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
      for (int32_t k = first; k < end; ++k) sum[k] += column[k];
    }
  });
  if (table.rows.empty()) return sums;
  GridValues in_grid_order(GSS_SIZE);
  for (std::size_t k = 0; k < table.rows.size(); ++k) in_grid_order[static_cast<std::size_t>(table.rows[k])] = sums[k];
  return in_grid_order;
}
