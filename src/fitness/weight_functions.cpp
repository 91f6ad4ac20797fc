#include "fitness/weight_functions.h"

#include <algorithm>
#include <cmath>

#include "common/constants.h"
#include "common/vector_clones.h"
#include "math/double_functions.h"
#include "math/double_kernels.h"

// The constants are single-precision values widened to double, as the
// weights have always been computed.
static const double PI_SINGLE = PI;
static const double QUARTER_PI_SINGLE = 0.7853982f;
static const double SIXTH_PI_SINGLE = 0.5235988f;  // 30 degrees
static const double TANH_FLOOR = 1.1920929e-7f;    // 2 to the power -23

double weight_cosine_of_double(double x) { return 0.5 * cos_d(x) + 0.5; }

double weight_linear_of_double(double x) { return 1.0 - x / PI_SINGLE; }

double weight_tangent_of_double(double x) {
  if (x < QUARTER_PI_SINGLE) return 1.0 - tan_d(x);
  return 0.0;
}

double weight_hyperbolic_tangent_of_double(double x) {
  return 0.5 * tanh_d(10.0 * (SIXTH_PI_SINGLE - x)) + 0.5 + TANH_FLOOR;
}

// A float angle widens to double exactly: the grid's scores and the
// refined states read one formula.
double weight_cosine(float x) { return weight_cosine_of_double(x); }
double weight_linear(float x) { return weight_linear_of_double(x); }
double weight_tangent(float x) { return weight_tangent_of_double(x); }
double weight_hyperbolic_tangent(float x) { return weight_hyperbolic_tangent_of_double(x); }

// The weights and slopes of a cosine d in [-1, 1] have no branch and
// call the arccosine and exponential kernels, which have none either, so
// that the loops over a run below take several data at a time with the
// same operations on each: the same bits as one datum at a time.
static double cosine_of_cosine(double d) { return 0.5 * d + 0.5; }
static double linear_of_cosine(double d) { return weight_linear_of_double(arccosine(d)); }
// tan(acos d) is sqrt(1 - d^2) / d: the tangent weight of a cosine needs
// no arccosine and no tangent, which were most of its refinement's cost.
// The weight is 0 from the angle QUARTER_PI_SINGLE on, where d falls to
// its cosine (rounded to the nearest double).
static constexpr double TANGENT_EDGE_COSINE = 0x1.6a09e5e333598p-1;
static double tangent_of_cosine(double d) {
  const double w = 1.0 - std::sqrt((1.0 - d) * (1.0 + d)) / d;
  return d <= TANGENT_EDGE_COSINE ? 0.0 : w;
}
// 0.5 tanh(u) + 0.5 is the logistic 1 / (1 + e^-2u): one exponential,
// where the hyperbolic tangent costs an expm1 and most of the refinement's
// time under this weight. The two forms differ in the last bits only. The
// exponent lies between -11 and 53, where 2^k is normal.
static double logistic_of_cosine(double d) {
  return 1.0 / (1.0 + exp_in_normal_range(-20.0 * (SIXTH_PI_SINGLE - arccosine(d))));
}
static double hyperbolic_tangent_of_cosine(double d) { return logistic_of_cosine(d) + TANH_FLOOR; }

// The slopes in d: the weight's slope in the angle x = acos d over the
// slope of d in x, -sin x = -sqrt(1 - d^2). The slope in x follows from
// the weight: tan x = 1 - w for the tangent, L (1 - L) for the logistic L.
// 0 where the sine is.
static double sine_of_cosine(double d) { return std::sqrt(std::max(0.0, 1.0 - d * d)); }
static double cosine_slope(double, double) { return 0.5; }
static double linear_slope(double d, double) {
  const double sine = sine_of_cosine(d);
  const double slope = 1.0 / (PI_SINGLE * sine);
  return sine > 0.0 ? slope : 0.0;
}
static double tangent_slope(double d, double w) {
  const double sine = sine_of_cosine(d), t = 1.0 - w;
  const double slope = (1.0 + t * t) / sine;
  return sine == 0.0 || w <= 0.0 ? 0.0 : slope;  // beyond 45 degrees the weight is 0
}
static double hyperbolic_tangent_slope(double d, double w) {
  const double sine = sine_of_cosine(d), l = w - TANH_FLOOR;
  const double slope = 20.0 * l * (1.0 - l) / sine;
  return sine > 0.0 ? slope : 0.0;
}

template <double (*WEIGHT)(double)>
static void weights_of_run(double* values, int32_t n) {
#pragma omp simd
  for (int32_t j = 0; j < n; ++j) values[j] = WEIGHT(values[j]);
}

template <double (*SLOPE)(double, double)>
static void slopes_of_run(const double* __restrict d, const double* __restrict w, int32_t n,
                          double* __restrict slopes) {
#pragma omp simd
  for (int32_t j = 0; j < n; ++j) slopes[j] = SLOPE(d[j], w[j]);
}

// The runs of the weights that take an arccosine, an exponential, a
// square root or a division, as many at a time as the processor's vectors
// hold; the cosine's is a multiply and an add, as fast in the baseline.
SORVEL_VECTOR_KERNEL(void, linear_weights, (double* values, int32_t n), (values, n)) {
  weights_of_run<linear_of_cosine>(values, n);
}
SORVEL_VECTOR_KERNEL(void, tangent_weights, (double* values, int32_t n), (values, n)) {
  weights_of_run<tangent_of_cosine>(values, n);
}
SORVEL_VECTOR_KERNEL(void, hyperbolic_tangent_weights, (double* values, int32_t n), (values, n)) {
  weights_of_run<hyperbolic_tangent_of_cosine>(values, n);
}
SORVEL_VECTOR_KERNEL(void, linear_slopes,
                     (const double* __restrict d, const double* __restrict w, int32_t n,
                      double* __restrict slopes),
                     (d, w, n, slopes)) {
  slopes_of_run<linear_slope>(d, w, n, slopes);
}
SORVEL_VECTOR_KERNEL(void, tangent_slopes,
                     (const double* __restrict d, const double* __restrict w, int32_t n,
                      double* __restrict slopes),
                     (d, w, n, slopes)) {
  slopes_of_run<tangent_slope>(d, w, n, slopes);
}
SORVEL_VECTOR_KERNEL(void, hyperbolic_tangent_slopes,
                     (const double* __restrict d, const double* __restrict w, int32_t n,
                      double* __restrict slopes),
                     (d, w, n, slopes)) {
  slopes_of_run<hyperbolic_tangent_slope>(d, w, n, slopes);
}

static const WeightFunction WEIGHT_FUNCTIONS[4] = {
    {1, "cosine", weight_cosine, weight_cosine_of_double, cosine_of_cosine, cosine_slope,
     weights_of_run<cosine_of_cosine>, slopes_of_run<cosine_slope>},
    {2, "linear", weight_linear, weight_linear_of_double, linear_of_cosine, linear_slope,
     linear_weights, linear_slopes},
    {3, "tangent", weight_tangent, weight_tangent_of_double, tangent_of_cosine, tangent_slope,
     tangent_weights, tangent_slopes},
    {4, "hyperbolic tangent", weight_hyperbolic_tangent, weight_hyperbolic_tangent_of_double,
     hyperbolic_tangent_of_cosine, hyperbolic_tangent_slope,
     hyperbolic_tangent_weights, hyperbolic_tangent_slopes},
};

const WeightFunction& weight_function_of(int id) { return WEIGHT_FUNCTIONS[id - 1]; }

std::string padded_weight_name(int id) {
  std::string name = weight_function_of(id).name;
  name.resize(40, ' ');
  return name;
}

int8_t score_of_weight(double w) {
  return static_cast<int8_t>(std::lround(200.0 * w - 100.0));
}
