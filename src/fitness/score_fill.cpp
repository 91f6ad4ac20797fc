#include "fitness/score_fill.h"

#include <cmath>

#include "common/threads.h"
#include "math/float_functions.h"

// Pairs handed to the kernel at a time: their dot products stay in the
// first-level cache.
static const int32_t CHUNK_POINTS = 2048;

static long score_of_dot(float d, const void* weight) {
  return score_of_weight(static_cast<const WeightFunction*>(weight)->weight(acos_cr(d)));
}

StepTable score_step_table(const WeightFunction& weight) {
  return build_step_table(score_of_dot, &weight);
}

static void fill_column(const TensorComponents& tensors, int32_t points, const FaultDatum& datum,
                        const StepTable& scores, int8_t* column) {
  const DatumFactors factors = datum_factors(datum);
  float d[CHUNK_POINTS];
  int32_t wide[CHUNK_POINTS];
  for (int32_t first = 0; first < points; first += CHUNK_POINTS) {
    int32_t count = points - first < CHUNK_POINTS ? points - first : CHUNK_POINTS;
    if (scores.usable && scores_over_gridpoints(tensors, first, count, factors, scores, wide)) {
      for (int32_t k = 0; k < count; ++k) column[first + k] = static_cast<int8_t>(wide[k]);
      continue;
    }
    // A table that cannot be had, or a dot product that is not a number:
    // the scores from the dot products one by one.
    dots_over_gridpoints(tensors, first, count, factors, d);
    step_values_to_bytes(scores, d, count, column + first);
  }
}

// The scores of GridPoints first .. first + count - 1 against one datum.
static void score_chunk(const TensorComponents& tensors, int32_t first, int32_t count,
                        const DatumFactors& factors, const StepTable& scores, int32_t* wide) {
  if (scores.usable && scores_over_gridpoints(tensors, first, count, factors, scores, wide)) return;
  float d[CHUNK_POINTS];
  int8_t narrow[CHUNK_POINTS];
  dots_over_gridpoints(tensors, first, count, factors, d);
  step_values_to_bytes(scores, d, count, narrow);
  for (int32_t k = 0; k < count; ++k) wide[k] = narrow[k];
}

std::vector<int32_t> sum_score_columns(const TensorComponents& tensors, int32_t points,
                                       const FaultDatum* data, int32_t n, const StepTable& scores,
                                       int threads) {
  std::vector<DatumFactors> factors(static_cast<std::size_t>(n > 0 ? n : 0));
  for (int32_t j = 0; j < n; ++j) factors[static_cast<std::size_t>(j)] = datum_factors(data[j]);
  std::vector<int32_t> sums(static_cast<std::size_t>(points), 0);
  const int32_t chunks = (points + CHUNK_POINTS - 1) / CHUNK_POINTS;
  parallel_for(chunks, threads, [&](int32_t c) {
    const int32_t first = c * CHUNK_POINTS;
    const int32_t count = points - first < CHUNK_POINTS ? points - first : CHUNK_POINTS;
    int32_t wide[CHUNK_POINTS];
    int32_t* sum = sums.data() + first;
    for (const DatumFactors& datum : factors) {
      score_chunk(tensors, first, count, datum, scores, wide);
      for (int32_t k = 0; k < count; ++k) sum[k] += wide[k];
    }
  });
  return sums;
}

void fill_score_columns(const TensorComponents& tensors, int32_t points, const FaultDatum* data,
                        int32_t n, const StepTable& scores, int8_t* columns, int threads) {
  parallel_for(n, threads, [&](int32_t j) {
    fill_column(tensors, points, data[j], scores, columns + static_cast<std::size_t>(j) * points);
  });
}
