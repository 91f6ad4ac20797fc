// Built with -O3 -fno-math-errno so that the loops vectorise: without
// errno, a square root is the one instruction that is correctly rounded in
// every lane; nothing else about the arithmetic changes.
#include "fitness/pair_kernels.h"

#include <cmath>
#include <cstdint>

#include "common/bit_cast.h"
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

// The tensors of grid[at(0)] .. grid[at(count - 1)], by component.
template <typename At>
static TensorComponents gathered_tensors(const GridPoint* grid, int32_t count, At at) {
  TensorComponents t;
  for (int c = 0; c < 9; ++c) {
    t.c[c].resize(static_cast<std::size_t>(count));
    for (int32_t k = 0; k < count; ++k) t.c[c][static_cast<std::size_t>(k)] = grid[at(k)].stress_tensor[c];
  }
  return t;
}

TensorComponents tensor_components(const GridPoint* grid, int32_t count) {
  return gathered_tensors(grid, count, [](int32_t k) { return k; });
}

TensorComponents tensor_components(const GridPoint* grid, const int32_t* at, int32_t count) {
  return gathered_tensors(grid, count, [at](int32_t k) { return at[k]; });
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
  x = bit_cast_to<float>(bit_cast_to<uint32_t>(qx) & keep);
  y = bit_cast_to<float>(bit_cast_to<uint32_t>(qy) & keep);
  z = bit_cast_to<float>(bit_cast_to<uint32_t>(qz) & keep);
}

struct Tensor9 {
  float s0, s1, s2, s3, s4, s5, s6, s7, s8;  // column by column
};

struct Factors15 {
  float n0, n1, n2, p0, p1, p2, p3, p4, p5, p6, p7, p8, s0, s1, s2;
};

// The pair's resolved shear (x, y, z): traction t = S n, shear tau_i =
// sum over j of (delta_ij - n_i n_j) t_j.
static inline void resolved_shear(const Tensor9& S, const Factors15& f, float& x, float& y,
                                  float& z) {
  float t0 = S.s0 * f.n0 + S.s3 * f.n1 + S.s6 * f.n2;
  float t1 = S.s1 * f.n0 + S.s4 * f.n1 + S.s7 * f.n2;
  float t2 = S.s2 * f.n0 + S.s5 * f.n1 + S.s8 * f.n2;
  x = ((0.0f + f.p0 * t0) + f.p1 * t1) + f.p2 * t2;
  y = ((0.0f + f.p3 * t0) + f.p4 * t1) + f.p5 * t2;
  z = ((0.0f + f.p6 * t0) + f.p7 * t1) + f.p8 * t2;
}

// The pair's dot product: the shear's direction, that direction
// normalised once more as the misfit angle does, its dot product with the
// observed slip, clamped to [-1, 1].
static inline float clamped_dot(const Tensor9& S, const Factors15& f) {
  float x, y, z;
  resolved_shear(S, f, x, y, z);
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

// The score kernels first take a quick dot product, q = (v . s) / |v| for
// the shear v, one square root and one division where the exact one, d,
// normalises v twice (two roots, six divisions). Both lie near the true
// cosine u . s (u = v / |v|): with e = 2^-24, every operation rounded,
// d within 13.5 e |s| of it (each normalisation moves each component by
// at most 3.5 e and 7 e relative, the dot product adds 3 e |s|), q within
// 6.5 e |s| (the dot product 3 e |s| absolute, the length 2.5 e and the
// division e relative); so |d - q| <= 20 e |s| < 2.4e-6 for |s| <= 2.
// The lookup gives a step function of d, whose buckets never go back as
// d grows, each starting with the value the one before ends with, and
// whose value beyond [-1, 1] is that at the end, so clamping changes
// nothing. Where no step lies between q - QUICK_MARGIN and q + QUICK_MARGIN
// (in one bucket or two neighbouring ones) every d between them has one
// value, and d is among them: that value is the exact score. The rest,
// fewer than one pair in a thousand, get the exact dot product.
constexpr float QUICK_MARGIN = 0x1p-18f;  // 3.8e-6, less the rounding of q -+ it: 3.6e-6
constexpr int32_t QUICK_BLOCK = 256;      // pairs whose doubtful ones are kept in one list

// Whether the bound holds for a datum's observed slip: |s| <= 2, where a
// normalised slip has |s| = 1 (a not-a-number fails too).
static inline bool quick_bound_holds(const Factors15& f) {
  return f.s0 * f.s0 + f.s1 * f.s1 + f.s2 * f.s2 <= 4.0f;
}

// How the score kernels hand on a pair's score: stored in out[k], or
// added to it. The store is written in the loops themselves, not passed in
// as a function: clang then knows the loops' accesses independent, as the
// pragma says, and vectorises them (for WebAssembly among others; GCC did
// either way).
enum class ScoreInto { store, add };

template <ScoreInto into>
static inline __attribute__((always_inline)) void put_score(int32_t* out, int32_t k, int32_t score) {
  if constexpr (into == ScoreInto::add)
    out[k] += score;
  else
    out[k] = score;
}

// The quick scores of pairs begin .. end - 1 (at most QUICK_BLOCK),
// put into out[k] where sure; doubtful[k - begin] is 1 where
// not, and the result whether any was. A shear too short for the exact
// path to normalise, or not finite, is doubtful.
template <ScoreInto into>
static inline __attribute__((always_inline)) int quick_scores(const float* const (&c)[9],
                                                              int32_t begin, int32_t end,
                                                              const Factors15& f,
                                                              const StepLookup& lookup,
                                                              int32_t* doubtful, int32_t* out) {
  int any = 0;
#pragma omp simd reduction(| : any)
  for (int32_t k = begin; k < end; ++k) {
    Tensor9 S = {c[0][k], c[1][k], c[2][k], c[3][k], c[4][k], c[5][k], c[6][k], c[7][k], c[8][k]};
    float x, y, z;
    resolved_shear(S, f, x, y, z);
    const float length = std::sqrt(x * x + y * y + z * z);
    const float q = (x * f.s0 + y * f.s1 + z * f.s2) / length;
    const float low = q - QUICK_MARGIN, high = q + QUICK_MARGIN;
    const int32_t b_low = lookup_bucket(lookup, low), b = lookup_bucket(lookup, high);
    const int32_t p = lookup.packed[b];
    const float step = lookup.step[b], step_low = lookup.step[b_low];
    // No step between low and high: in one bucket, none or one outside
    // them; in two neighbouring ones, none after low in the first and
    // none up to high in the second.
    const int one_bucket = (b_low == b) & ((low >= step) | (high < step));
    const int two_buckets =
        (b_low + 1 == b) & ((step_low <= low) | (step_low > 3.4e38f)) & (high < step);
    const int sure = (length >= ZERO_LENGTH) & (length <= 3.4e38f) & (one_bucket | two_buckets);
    put_score<into>(out, k, sure ? static_cast<int16_t>(p & 0xffff) + (high >= step ? (p >> 16) : 0) : 0);
    doubtful[k - begin] = sure ^ 1;
    any |= sure ^ 1;
  }
  return any;
}

// The exact scores of the doubtful pairs of begin .. end - 1, put into
// out[k]; whether all their dot products were numbers.
template <ScoreInto into>
static inline __attribute__((always_inline)) bool exact_scores(const float* const (&c)[9],
                                                               int32_t begin, int32_t end,
                                                               const Factors15& f,
                                                               const StepLookup& lookup,
                                                               const int32_t* doubtful, int32_t* out) {
  bool numbers = true;
  // Sixteen flags at a time: a doubtful pair is rare.
  for (int32_t group = begin; group < end; group += 16) {
    const int32_t group_end = end - group < 16 ? end : group + 16;
    int32_t any = 0;
    for (int32_t k = group; k < group_end; ++k) any |= doubtful[k - begin];
    if (any == 0) continue;
    for (int32_t k = group; k < group_end; ++k) {
      if (!doubtful[k - begin]) continue;
      Tensor9 S = {c[0][k], c[1][k], c[2][k], c[3][k], c[4][k], c[5][k], c[6][k], c[7][k], c[8][k]};
      const float d = clamped_dot(S, f);
      put_score<into>(out, k, lookup_value(lookup, d));
      numbers = numbers && d == d;
    }
  }
  return numbers;
}

// Every pair of first .. first + count - 1 scored, quick where sure,
// exact where not; false when some exact dot product was not a number.
template <ScoreInto into>
static inline __attribute__((always_inline)) bool quick_then_exact(const float* const (&c)[9],
                                                                   int32_t count,
                                                                   const Factors15& f,
                                                                   const StepLookup& lookup,
                                                                   int32_t* out) {
  bool numbers = true;
  int32_t doubtful[QUICK_BLOCK];
  for (int32_t begin = 0; begin < count; begin += QUICK_BLOCK) {
    const int32_t end = count - begin < QUICK_BLOCK ? count : begin + QUICK_BLOCK;
    if (quick_scores<into>(c, begin, end, f, lookup, doubtful, out))
      numbers = exact_scores<into>(c, begin, end, f, lookup, doubtful, out) && numbers;
  }
  return numbers;
}

// The scores of GridPoints first .. first + count - 1 against one datum,
// put into out[k]: quick then exact where the bound holds, else
// exact throughout. False when some dot product was not a number.
template <ScoreInto into>
static inline __attribute__((always_inline)) bool score_pairs(const TensorComponents& tensors,
                                                              int32_t first, int32_t count,
                                                              const DatumFactors& datum,
                                                              const StepTable& table, int32_t* out) {
  const float* c[9];
  component_pointers(tensors, first, c);
  const Factors15 f = factors_of(datum);
  const StepLookup lookup = step_lookup(table);
  if (quick_bound_holds(f)) return quick_then_exact<into>(c, count, f, lookup, out);
  int any_nan = 0;
#pragma omp simd reduction(| : any_nan)
  for (int32_t k = 0; k < count; ++k) {
    Tensor9 S = {c[0][k], c[1][k], c[2][k], c[3][k], c[4][k], c[5][k], c[6][k], c[7][k], c[8][k]};
    float d = clamped_dot(S, f);
    put_score<into>(out, k, lookup_value(lookup, d));
    any_nan |= d != d ? 1 : 0;
  }
  return any_nan == 0;
}

SORVEL_VECTOR_KERNEL(bool, scores_over_gridpoints,
                     (const TensorComponents& tensors, int32_t first, int32_t count,
                      const DatumFactors& datum, const StepTable& table, int32_t* scores),
                     (tensors, first, count, datum, table, scores)) {
  return score_pairs<ScoreInto::store>(tensors, first, count, datum, table, scores);
}

SORVEL_VECTOR_KERNEL(bool, add_scores_over_gridpoints,
                     (const TensorComponents& tensors, int32_t first, int32_t count,
                      const DatumFactors& datum, const StepTable& table, int32_t* sums),
                     (tensors, first, count, datum, table, sums)) {
  return score_pairs<ScoreInto::add>(tensors, first, count, datum, table, sums);
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

// ---- a run of GridPoints against one datum, for the fill's plan --------

// The scores of the first `count` GridPoints of `tensors` against one
// datum.
static void score_run(const TensorComponents& tensors, int32_t count, const DatumFactors& factors,
                      const StepTable& scores, int32_t* wide) {
  if (scores.usable && scores_over_gridpoints(tensors, 0, count, factors, scores, wide)) return;
  // A table that cannot be had, or a dot product that is not a number:
  // the scores from the dot products one by one.
  float d[KERNEL_RUN];
  int8_t narrow[KERNEL_RUN];
  dots_over_gridpoints(tensors, 0, count, factors, d);
  step_values_to_bytes(scores, d, count, narrow);
  for (int32_t k = 0; k < count; ++k) wide[k] = narrow[k];
}

void store_run_scores(const TensorComponents& tensors, int32_t count, const DatumFactors& factors,
                      const StepTable& scores, int8_t* column) {
  int32_t wide[KERNEL_RUN];
  score_run(tensors, count, factors, scores, wide);
  for (int32_t k = 0; k < count; ++k) column[k] = static_cast<int8_t>(wide[k]);
}

// A dot product that is not a number got the table's score for it in the
// fast pass, mended here to the reference's.
void add_run_scores(const TensorComponents& tensors, int32_t count, const DatumFactors& factors,
                    const StepTable& scores, int32_t* sum) {
  if (scores.usable) {
    if (add_scores_over_gridpoints(tensors, 0, count, factors, scores, sum)) return;
    float d[KERNEL_RUN];
    dots_over_gridpoints(tensors, 0, count, factors, d);
    const StepLookup lookup = step_lookup(scores);
    for (int32_t k = 0; k < count; ++k)
      if (d[k] != d[k])
        sum[k] += static_cast<int8_t>(scores.function(d[k], scores.context)) - lookup_value(lookup, d[k]);
    return;
  }
  int32_t wide[KERNEL_RUN];
  score_run(tensors, count, factors, scores, wide);
  for (int32_t k = 0; k < count; ++k) sum[k] += wide[k];
}
