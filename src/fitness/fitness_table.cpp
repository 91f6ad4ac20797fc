#include "fitness/fitness_table.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "common/constants.h"
#include "common/state.h"
#include "common/code_paths.h"
#include "common/threads.h"
#include "fitness/score_fill.h"
#include "grid/orientation.h"
#include "math/float_functions.h"
#include "shell/error_reporter.h"

bool fitness_table_bytes(int32_t n, std::size_t& bytes) {
  std::size_t columns = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (columns > std::numeric_limits<std::size_t>::max() / GSS_SIZE) return false;
  bytes = columns * GSS_SIZE;
  return true;
}

void allocate_fitness_table() {
  if (fitness_table.scores != nullptr) {
    std::size_t bytes = 0;
    fitness_table_bytes(fitness_table.columns, bytes);
    std::memset(fitness_table.scores, 0, bytes);
    return;
  }
  int32_t n = faults.count > 0 ? faults.count : 0;
  fitness_table.columns = n;
  if (n == 0) return;
  std::size_t bytes = 0;
  void* block = fitness_table_bytes(n, bytes) ? std::malloc(bytes) : nullptr;
  if (block == nullptr) ErrorReporter("fill_fitness_table", "Memory allocation error");
  fitness_table.scores = static_cast<int8_t*>(block);
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

float misfit_angle(Vec3 p, Vec3 s) {
  Vec3 a = normalize(p);
  Vec3 b = normalize(s);
  float d = a.x * b.x + a.y * b.y + a.z * b.z;
  if (d > 1.0f) d = 1.0f;
  if (d < -1.0f) d = -1.0f;
  return acos_cr(d);
}

int8_t score_of_pair(const float* S, const FaultDatum& datum, const WeightFunction& weight) {
  float x = misfit_angle(predicted_slip_direction(S, datum.normal_vector), datum.slip_vector);
  return score_of_weight(weight.weight(x));
}

// One datum's column; the weight function is a template argument so that
// the loop calls it directly.
template <double (*Weight)(float)>
static void fill_column(const FaultDatum& datum, int8_t* column) {
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    float x = misfit_angle(predicted_slip_direction(gss[k].stress_tensor, datum.normal_vector),
                           datum.slip_vector);
    column[k] = score_of_weight(Weight(x));
  }
}

void fill_fitness_table_reference(const WeightFunction& weight) {
  for (int32_t j = 0; j < fitness_table.columns; ++j) {
    int8_t* column = fitness_table.scores + static_cast<std::size_t>(j) * GSS_SIZE;
    const FaultDatum& datum = faults.data[j];
    switch (weight.id) {
      case 1: fill_column<weight_cosine>(datum, column); break;
      case 2: fill_column<weight_linear>(datum, column); break;
      case 3: fill_column<weight_tangent>(datum, column); break;
      case 4: fill_column<weight_hyperbolic_tangent>(datum, column); break;
      default:  // a function of no number: call it as given
        for (int32_t k = 0; k < GSS_SIZE; ++k)
          column[k] = score_of_pair(gss[k].stress_tensor, datum, weight);
    }
  }
}

void fill_fitness_table(const WeightFunction& weight) {
  if (reference_paths()) return fill_fitness_table_reference(weight);
  if (fitness_table.columns == 0) return;
  TensorComponents tensors = tensor_components(gss, GSS_SIZE);
  StepTable scores = score_step_table(weight);
  fill_score_columns(tensors, GSS_SIZE, faults.data, fitness_table.columns, scores,
                     fitness_table.scores, thread_count());
}

void sum_fitness_reference() {
  for (int32_t k = 0; k < GSS_SIZE; ++k) gss[k].fitness = 0;
  for (int32_t j = 0; j < fitness_table.columns; ++j) {
    const int8_t* column = fitness_table.scores + static_cast<std::size_t>(j) * GSS_SIZE;
    for (int32_t k = 0; k < GSS_SIZE; ++k) gss[k].fitness += column[k];
  }
}

// GridPoints summed per thread at a time: their sums stay in the cache
// while every column passes.
static const int32_t SUM_BLOCK = 4096;

// Whole numbers add up to the same sum in any order, so blocks of
// GridPoints are summed apart, column after column, into a plain array.
void sum_fitness() {
  if (reference_paths()) return sum_fitness_reference();
  std::vector<int32_t> sums(GSS_SIZE, 0);
  const int32_t blocks = (GSS_SIZE + SUM_BLOCK - 1) / SUM_BLOCK;
  parallel_for(blocks, thread_count(), [&](int32_t b) {
    const int32_t first = b * SUM_BLOCK;
    const int32_t end = first + SUM_BLOCK < GSS_SIZE ? first + SUM_BLOCK : GSS_SIZE;
    int32_t* block = sums.data();
    for (int32_t j = 0; j < fitness_table.columns; ++j) {
      const int8_t* column = fitness_table.scores + static_cast<std::size_t>(j) * GSS_SIZE;
      for (int32_t k = first; k < end; ++k) block[k] += column[k];
    }
  });
  for (int32_t k = 0; k < GSS_SIZE; ++k) gss[k].fitness = sums[static_cast<std::size_t>(k)];
}
