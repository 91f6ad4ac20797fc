#include "fitness/fill_reference.h"

#include "common/constants.h"
#include "grid/orientation.h"
#include "grid/state_axes.h"
#include "math/float_functions.h"

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

GridValues sum_fitness_reference(const FitnessTable& table) {
  GridValues fitness(GSS_SIZE, 0);
  for (int32_t j = 0; j < table.columns; ++j) {
    const int8_t* column = table.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
    for (int32_t k = 0; k < GSS_SIZE; ++k) fitness[static_cast<std::size_t>(k)] += column[k];
  }
  return fitness;
}
