#include "fitness/score_fill.h"

#include <cmath>

#include "common/threads.h"
#include "math/float_functions.h"

// Pairs handed to the kernel at a time: their dot products stay in the
// first-level cache.
static const int32_t CHUNK_POINTS = 2048;
// For fewer data than this the sums take less time than starting a second
// thread for them (with its memory) saves.
static const int32_t FEW_DATA = 12;

static long score_of_dot(float d, const void* weight) {
  return score_of_weight(static_cast<const WeightFunction*>(weight)->weight(acos_cr(d)));
}

StepTable score_step_table(const WeightFunction& weight) {
  return build_step_table(score_of_dot, &weight);
}

// The scores of GridPoints first .. first + count - 1 (of `tensors`)
// against one datum.
static void score_chunk(const TensorComponents& tensors, int32_t first, int32_t count,
                        const DatumFactors& factors, const StepTable& scores, int32_t* wide) {
  if (scores.usable && scores_over_gridpoints(tensors, first, count, factors, scores, wide)) return;
  // A table that cannot be had, or a dot product that is not a number:
  // the scores from the dot products one by one.
  float d[CHUNK_POINTS];
  int8_t narrow[CHUNK_POINTS];
  dots_over_gridpoints(tensors, first, count, factors, d);
  step_values_to_bytes(scores, d, count, narrow);
  for (int32_t k = 0; k < count; ++k) wide[k] = narrow[k];
}

static std::vector<DatumFactors> factors_of(const FaultDatum* data, int32_t n) {
  std::vector<DatumFactors> factors(static_cast<std::size_t>(n > 0 ? n : 0));
  for (int32_t j = 0; j < n; ++j) factors[static_cast<std::size_t>(j)] = datum_factors(data[j]);
  return factors;
}

// Runs chunk c's scores through `take`, datum after datum, on the thread
// that took the chunk.
template <typename Take>
static void score_run_of_chunk(const GridPoint* grid, int32_t points, int32_t c,
                               const std::vector<DatumFactors>& factors, const StepTable& scores,
                               Take take) {
  const int32_t first = c * CHUNK_POINTS;
  const int32_t count = points - first < CHUNK_POINTS ? points - first : CHUNK_POINTS;
  const TensorComponents tensors = tensor_components(grid + first, count);
  int32_t wide[CHUNK_POINTS];
  for (std::size_t j = 0; j < factors.size(); ++j) {
    score_chunk(tensors, 0, count, factors[j], scores, wide);
    take(j, first, count, wide);
  }
}

// One datum's scores added to the sums of GridPoints first .. first +
// count - 1 (of `tensors`). A dot product that is not a number got the
// table's score for it in the fast pass, mended here to the reference's.
static void add_chunk(const TensorComponents& tensors, int32_t count, const DatumFactors& factors,
                      const StepTable& scores, int32_t* sum) {
  if (scores.usable) {
    if (add_scores_over_gridpoints(tensors, 0, count, factors, scores, sum)) return;
    float d[CHUNK_POINTS];
    dots_over_gridpoints(tensors, 0, count, factors, d);
    const StepLookup lookup = step_lookup(scores);
    for (int32_t k = 0; k < count; ++k)
      if (d[k] != d[k])
        sum[k] += static_cast<int8_t>(scores.function(d[k], scores.context)) - lookup_value(lookup, d[k]);
    return;
  }
  int32_t wide[CHUNK_POINTS];
  score_chunk(tensors, 0, count, factors, scores, wide);
  for (int32_t k = 0; k < count; ++k) sum[k] += wide[k];
}

std::vector<int32_t> sum_score_columns(const GridPoint* grid, int32_t points,
                                       const FaultDatum* data, int32_t n, const StepTable& scores,
                                       int threads) {
  const std::vector<DatumFactors> factors = factors_of(data, n);
  std::vector<int32_t> sums(static_cast<std::size_t>(points), 0);
  const int32_t chunks = (points + CHUNK_POINTS - 1) / CHUNK_POINTS;
  parallel_for(chunks, n < FEW_DATA ? 1 : threads, [&](int32_t c) {
    const int32_t first = c * CHUNK_POINTS;
    const int32_t count = points - first < CHUNK_POINTS ? points - first : CHUNK_POINTS;
    const TensorComponents tensors = tensor_components(grid + first, count);
    for (const DatumFactors& datum : factors) add_chunk(tensors, count, datum, scores, sums.data() + first);
  });
  return sums;
}

void fill_score_columns(const GridPoint* grid, int32_t points, const FaultDatum* data, int32_t n,
                        const StepTable& scores, int8_t* columns, int threads) {
  const std::vector<DatumFactors> factors = factors_of(data, n);
  const int32_t chunks = (points + CHUNK_POINTS - 1) / CHUNK_POINTS;
  parallel_for(chunks, threads, [&](int32_t c) {
    score_run_of_chunk(grid, points, c, factors, scores,
                       [&](std::size_t j, int32_t first, int32_t count, const int32_t* wide) {
                         int8_t* column = columns + j * static_cast<std::size_t>(points) + first;
                         for (int32_t k = 0; k < count; ++k) column[k] = static_cast<int8_t>(wide[k]);
                       });
  });
}
