// Built with -O3 -fno-math-errno so that the loops vectorise: without
// errno, a square root is the one instruction that is correctly rounded in
// every lane; nothing else about the arithmetic changes.
#include "fitness/pair_kernels.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "common/constants.h"
#include "common/vector_clones.h"
#include "grid/orientation.h"


DatumFactors datum_factors(const FaultDatum& datum) {
  DatumFactors f;
  const float n[3] = {datum.normal_vector.x, datum.normal_vector.y, datum.normal_vector.z};
  for (int i = 0; i < 3; ++i) {
    f.n[i] = n[i];
    for (int j = 0; j < 3; ++j) {
      float delta = i == j ? 1.0f : 0.0f;
      f.p[3 * i + j] = delta - n[i] * n[j];
    }
  }
  Vec3 s = normalize(datum.slip_vector);
  f.s[0] = s.x;
  f.s[1] = s.y;
  f.s[2] = s.z;
  return f;
}

TensorComponents tensor_components(const GridPoint* grid, int32_t count) {
  TensorComponents t;
  for (int c = 0; c < 9; ++c) {
    t.c[c].resize(static_cast<std::size_t>(count));
    for (int32_t k = 0; k < count; ++k) t.c[c][static_cast<std::size_t>(k)] = grid[k].stress_tensor[c];
  }
  return t;
}

DataComponents data_components(const FaultDatum* data, int32_t count) {
  DataComponents out;
  for (int32_t j = 0; j < count; ++j) {
    DatumFactors f = datum_factors(data[j]);
    for (int i = 0; i < 3; ++i) out.n[i].push_back(f.n[i]);
    for (int i = 0; i < 9; ++i) out.p[i].push_back(f.p[i]);
    for (int i = 0; i < 3; ++i) out.s[i].push_back(f.s[i]);
  }
  return out;
}

// One unit vector as normalize() makes it: v / |v|, or +0 below the
// negligible length. The quotients are always formed and then masked,
// which the compiler turns into vector code where a branch around a
// division it would not.
static inline void normalize_lane(float& x, float& y, float& z) {
  float length = std::sqrt(x * x + y * y + z * z);
  uint32_t keep = length < ZERO_LENGTH ? 0u : ~0u;
  float qx = x / length, qy = y / length, qz = z / length;
  x = std::bit_cast<float>(std::bit_cast<uint32_t>(qx) & keep);
  y = std::bit_cast<float>(std::bit_cast<uint32_t>(qy) & keep);
  z = std::bit_cast<float>(std::bit_cast<uint32_t>(qz) & keep);
}

struct Tensor9 {
  float s0, s1, s2, s3, s4, s5, s6, s7, s8;  // column by column
};

struct Factors15 {
  float n0, n1, n2, p0, p1, p2, p3, p4, p5, p6, p7, p8, s0, s1, s2;
};

// The pair's dot product: traction t = S n, shear tau_i = sum over j of
// (delta_ij - n_i n_j) t_j, its direction, that direction normalised once
// more as the misfit angle does, its dot product with the observed slip,
// clamped to [-1, 1].
static inline float clamped_dot(const Tensor9& S, const Factors15& f) {
  float t0 = S.s0 * f.n0 + S.s3 * f.n1 + S.s6 * f.n2;
  float t1 = S.s1 * f.n0 + S.s4 * f.n1 + S.s7 * f.n2;
  float t2 = S.s2 * f.n0 + S.s5 * f.n1 + S.s8 * f.n2;
  float x = ((0.0f + f.p0 * t0) + f.p1 * t1) + f.p2 * t2;
  float y = ((0.0f + f.p3 * t0) + f.p4 * t1) + f.p5 * t2;
  float z = ((0.0f + f.p6 * t0) + f.p7 * t1) + f.p8 * t2;
  normalize_lane(x, y, z);
  normalize_lane(x, y, z);
  float d = x * f.s0 + y * f.s1 + z * f.s2;
  d = d > 1.0f ? 1.0f : d;
  d = d < -1.0f ? -1.0f : d;
  return d;
}

static inline Factors15 factors_of(const DatumFactors& datum) {
  return {datum.n[0], datum.n[1], datum.n[2], datum.p[0], datum.p[1],
          datum.p[2], datum.p[3], datum.p[4], datum.p[5], datum.p[6],
          datum.p[7], datum.p[8], datum.s[0], datum.s[1], datum.s[2]};
}

// Where each of the nine tensor components of GridPoint `first` starts.
static inline void component_pointers(const TensorComponents& tensors, int32_t first,
                                      const float* (&c)[9]) {
  for (int i = 0; i < 9; ++i) c[i] = tensors.c[i].data() + first;
}

SORVEL_VECTOR_KERNEL(void, dots_over_gridpoints,
                     (const TensorComponents& tensors, int32_t first, int32_t count,
                      const DatumFactors& datum, float* d),
                     (tensors, first, count, datum, d)) {
  const float* c[9];
  component_pointers(tensors, first, c);
  const Factors15 f = factors_of(datum);
#pragma omp simd
  for (int32_t k = 0; k < count; ++k) {
    Tensor9 S = {c[0][k], c[1][k], c[2][k], c[3][k], c[4][k], c[5][k], c[6][k], c[7][k], c[8][k]};
    d[k] = clamped_dot(S, f);
  }
}

SORVEL_VECTOR_KERNEL(bool, scores_over_gridpoints,
                     (const TensorComponents& tensors, int32_t first, int32_t count,
                      const DatumFactors& datum, const StepTable& table, int32_t* scores),
                     (tensors, first, count, datum, table, scores)) {
  const float* c[9];
  component_pointers(tensors, first, c);
  const Factors15 f = factors_of(datum);
  const StepLookup lookup = step_lookup(table);
  int any_nan = 0;
#pragma omp simd reduction(| : any_nan)
  for (int32_t k = 0; k < count; ++k) {
    Tensor9 S = {c[0][k], c[1][k], c[2][k], c[3][k], c[4][k], c[5][k], c[6][k], c[7][k], c[8][k]};
    float d = clamped_dot(S, f);
    scores[k] = lookup_value(lookup, d);
    any_nan |= d != d ? 1 : 0;
  }
  return any_nan == 0;
}

SORVEL_VECTOR_KERNEL(bool, add_scores_over_gridpoints,
                     (const TensorComponents& tensors, int32_t first, int32_t count,
                      const DatumFactors& datum, const StepTable& table, int32_t* sums),
                     (tensors, first, count, datum, table, sums)) {
  const float* c[9];
  component_pointers(tensors, first, c);
  const Factors15 f = factors_of(datum);
  const StepLookup lookup = step_lookup(table);
  int any_nan = 0;
#pragma omp simd reduction(| : any_nan)
  for (int32_t k = 0; k < count; ++k) {
    Tensor9 S = {c[0][k], c[1][k], c[2][k], c[3][k], c[4][k], c[5][k], c[6][k], c[7][k], c[8][k]};
    float d = clamped_dot(S, f);
    sums[k] += lookup_value(lookup, d);
    any_nan |= d != d ? 1 : 0;
  }
  return any_nan == 0;
}

SORVEL_VECTOR_KERNEL(void, dots_over_data,
                     (const float* S, const DataComponents& data, int32_t first, int32_t count,
                      float* d),
                     (S, data, first, count, d)) {
  const float* n[3];
  const float* p[9];
  const float* s[3];
  for (int i = 0; i < 3; ++i) n[i] = data.n[i].data() + first;
  for (int i = 0; i < 9; ++i) p[i] = data.p[i].data() + first;
  for (int i = 0; i < 3; ++i) s[i] = data.s[i].data() + first;
  const Tensor9 t = {S[0], S[1], S[2], S[3], S[4], S[5], S[6], S[7], S[8]};
#pragma omp simd
  for (int32_t j = 0; j < count; ++j) {
    Factors15 f = {n[0][j], n[1][j], n[2][j], p[0][j], p[1][j], p[2][j], p[3][j], p[4][j],
                   p[5][j], p[6][j], p[7][j], p[8][j], s[0][j], s[1][j], s[2][j]};
    d[j] = clamped_dot(t, f);
  }
}
