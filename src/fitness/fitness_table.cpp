#include "fitness/fitness_table.h"

#include <cmath>
#include <limits>
#include <vector>

#include <new>

#include "common/constants.h"
#include "common/threads.h"
#include "fitness/score_fill.h"
#include "grid/orientation.h"
#include "grid/state_axes.h"
#include "math/float_functions.h"

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
  int8_t* block = fitness_table_bytes(n, bytes) ? new (std::nothrow) int8_t[bytes] : nullptr;
  if (block == nullptr) return ErrorReport{"fill_fitness_table", "Memory allocation error", {}, ""};
  table.scores.reset(block);
  table.columns = n;
  return std::nullopt;
}

Vec3 predicted_slip_direction(const float* S, Vec3 n) {
  const float nv[3] = {n.x, n.y, n.z};
  float t[3];
  for (int i = 0; i < 3; ++i) {
    // S is stored column by column: S_ij is S[3 * j + i].
    t[i] = S[i] * nv[0] + S[3 + i] * nv[1] + S[6 + i] * nv[2];
  }
  float tau[3];
  for (int i = 0; i < 3; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < 3; ++j) {
      float delta = i == j ? 1.0f : 0.0f;
      sum = sum + (delta - nv[i] * nv[j]) * t[j];
    }
    tau[i] = sum;
  }
  return normalize(Vec3{tau[0], tau[1], tau[2]});
}

float misfit_cosine(Vec3 p, Vec3 s) {
  Vec3 a = normalize(p);
  Vec3 b = normalize(s);
  float d = a.x * b.x + a.y * b.y + a.z * b.z;
  if (d > 1.0f) d = 1.0f;
  if (d < -1.0f) d = -1.0f;
  return d;
}

float misfit_angle(Vec3 p, Vec3 s) { return acos_cr(misfit_cosine(p, s)); }

long degrees_of_cosine(float d) { return whole_degrees(acos_cr(d)); }

long misfit_degrees(const float* S, const FaultDatum& datum) {
  return degrees_of_cosine(
      misfit_cosine(predicted_slip_direction(S, datum.normal_vector), datum.slip_vector));
}

int8_t score_of_pair(const float* S, const FaultDatum& datum, const WeightFunction& weight) {
  float x = misfit_angle(predicted_slip_direction(S, datum.normal_vector), datum.slip_vector);
  return score_of_weight(weight.weight(x));
}

// One datum's column; the weight function is a template argument so that
// the loop calls it directly.
template <double (*Weight)(float)>
static void fill_column(const Gss& gss, const FaultDatum& datum, int8_t* column) {
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    const GridPoint& point = gss.points[static_cast<std::size_t>(k)];
    float x = misfit_angle(predicted_slip_direction(point.stress_tensor, datum.normal_vector),
                           datum.slip_vector);
    column[k] = score_of_weight(Weight(x));
  }
}

void fill_fitness_table_reference(const Gss& gss, const FaultSet& faults,
                                  const WeightFunction& weight, FitnessTable& table) {
  for (int32_t j = 0; j < table.columns; ++j) {
    int8_t* column = table.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
    const FaultDatum& datum = faults.data[static_cast<std::size_t>(j)];
    switch (weight.id) {
      case 1: fill_column<weight_cosine>(gss, datum, column); break;
      case 2: fill_column<weight_linear>(gss, datum, column); break;
      case 3: fill_column<weight_tangent>(gss, datum, column); break;
      case 4: fill_column<weight_hyperbolic_tangent>(gss, datum, column); break;
      default:  // a function of no number: call it as given
        for (int32_t k = 0; k < GSS_SIZE; ++k)
          column[k] = score_of_pair(gss.points[static_cast<std::size_t>(k)].stress_tensor, datum,
                                    weight);
    }
  }
}

void fill_fitness_table(const Gss& gss, const FaultSet& faults, const WeightFunction& weight,
                        const RunSettings& settings, FitnessTable& table) {
  if (settings.reference) return fill_fitness_table_reference(gss, faults, weight, table);
  if (table.columns == 0) return;
  StepTable scores = score_step_table(weight);
  fill_score_columns(gss.points.data(), GSS_SIZE, faults.data.data(), table.columns, scores,
                     table.scores.get(), settings.threads);
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
  fitness = sum_score_columns(gss.points.data(), GSS_SIZE, faults.data.data(), faults.count, scores,
                              settings.threads);
  return std::nullopt;
}

GridValues sum_fitness_reference(const FitnessTable& table) {
  GridValues fitness(GSS_SIZE, 0);
  for (int32_t j = 0; j < table.columns; ++j) {
    const int8_t* column = table.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
    for (int32_t k = 0; k < GSS_SIZE; ++k) fitness[static_cast<std::size_t>(k)] += column[k];
  }
  return fitness;
}

// GridPoints summed per thread at a time: their sums stay in the cache
// while every column passes.
static const int32_t SUM_BLOCK = 4096;

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
  return sums;
}
