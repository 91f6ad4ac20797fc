// The double functions against MPFR at 200 bits, on a million arguments
// each, spread over the ranges the program uses and beyond (angles of a
// few turns, cosines in [-1, 1], the weights' exponents), plus the edges:
// near multiples of pi/2, near 1 for the arc functions, the ends of exp's
// range. The error is measured in ulps of the exact value; the bounds are
// the ones the header promises.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "math/double_functions.h"

namespace {

const int MPFR_BITS = 200;
const int SAMPLES = 1000000;

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// |computed - exact| in ulps of the exact value (of its binade's double
// spacing, subnormals at the smallest).
double ulps_off(double computed, mpfr_srcptr exact) {
  if (mpfr_zero_p(exact)) return computed == 0.0 ? 0.0 : INFINITY;
  mpfr_t d;
  mpfr_init2(d, MPFR_BITS);
  mpfr_sub_d(d, exact, computed, MPFR_RNDN);
  mpfr_abs(d, d, MPFR_RNDN);
  long exponent = mpfr_get_exp(exact);  // exact = m 2^exponent, 1/2 <= m < 1
  long ulp_exponent = std::max(exponent - 53, -1074L);
  mpfr_mul_2si(d, d, -ulp_exponent, MPFR_RNDN);
  double ulps = mpfr_get_d(d, MPFR_RNDN);
  mpfr_clear(d);
  return ulps;
}

struct Worst {
  double ulps = 0.0;
  double argument = 0.0;
};

Worst worst_of(const std::vector<double> &arguments, const std::function<double(double)> &ours,
               MpfrFunction reference) {
  Worst worst;
  mpfr_t v;
  mpfr_init2(v, MPFR_BITS);
  for (double x : arguments) {
    mpfr_set_d(v, x, MPFR_RNDN);
    reference(v, v, MPFR_RNDN);
    double ulps = ulps_off(ours(x), v);
    if (!(ulps <= worst.ulps)) worst = Worst{ulps, x};
  }
  mpfr_clear(v);
  return worst;
}

std::vector<double> uniform(double low, double high, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> draw(low, high);
  std::vector<double> xs(SAMPLES);
  for (double &x : xs) x = draw(random);
  return xs;
}

// Arguments a few ulps from k pi/2 and from the given points.
void add_neighbours(std::vector<double> &xs, const std::vector<double> &points) {
  for (double p : points) {
    double x = p;
    for (int i = 0; i < 200; ++i) {
      xs.push_back(x);
      x = std::nextafter(x, INFINITY);
    }
  }
}

#define EXPECT_WITHIN(bound, worst, name)                                                        \
  EXPECT_LE((worst).ulps, bound) << name << ": " << (worst).ulps << " ulps at " << std::hexfloat \
                                 << (worst).argument

TEST(DoubleFunctionsMpfrTest, SineCosineTangentWithinTheirBounds) {
  std::vector<double> xs = uniform(-40.0, 40.0, 1);
  std::vector<double> points;
  for (int k = 1; k <= 40; ++k)
    points.push_back(std::nextafter(k * 1.5707963267948966, 0.0) - 1e-13);
  add_neighbours(xs, points);
  std::vector<double> far = uniform(-1e6, 1e6, 2);
  xs.insert(xs.end(), far.begin(), far.end());
  EXPECT_WITHIN(2.0, worst_of(xs, sin_d, mpfr_sin), "sin");
  EXPECT_WITHIN(2.0, worst_of(xs, cos_d, mpfr_cos), "cos");
  EXPECT_WITHIN(4.0, worst_of(uniform(-1.5, 1.5, 3), tan_d, mpfr_tan), "tan");
}

TEST(DoubleFunctionsMpfrTest, ArcFunctionsWithinTheirBounds) {
  std::vector<double> xs = uniform(-1.0, 1.0, 4);
  add_neighbours(xs, {-1.0, std::nextafter(1.0, 0.0) - 1e-13, -0.5, 0.5, 0x1p-26});
  EXPECT_WITHIN(4.0, worst_of(xs, asin_d, mpfr_asin), "asin");
  EXPECT_WITHIN(4.0, worst_of(xs, acos_d, mpfr_acos), "acos");
  std::vector<double> ys = uniform(-3.0, 3.0, 5);
  Worst worst;
  mpfr_t a, b;
  mpfr_init2(a, MPFR_BITS);
  mpfr_init2(b, MPFR_BITS);
  std::mt19937_64 random(6);
  std::uniform_real_distribution<double> draw(-3.0, 3.0);
  for (double y : ys) {
    double x = draw(random);
    mpfr_set_d(a, y, MPFR_RNDN);
    mpfr_set_d(b, x, MPFR_RNDN);
    mpfr_atan2(a, a, b, MPFR_RNDN);
    double ulps = ulps_off(atan2_d(y, x), a);
    if (!(ulps <= worst.ulps)) worst = Worst{ulps, y};
  }
  mpfr_clear(a);
  mpfr_clear(b);
  EXPECT_WITHIN(4.0, worst, "atan2");
}

TEST(DoubleFunctionsMpfrTest, ExponentialAndHyperbolicTangentWithinTheirBounds) {
  std::vector<double> xs = uniform(-60.0, 60.0, 7);
  std::vector<double> wide = uniform(-745.0, 709.7, 8);
  xs.insert(xs.end(), wide.begin(), wide.end());
  add_neighbours(xs, {-745.0, 709.7, 0.5 * 0.6931471805599453, 0.0});
  EXPECT_WITHIN(2.0, worst_of(xs, exp_d, mpfr_exp), "exp");
  std::vector<double> ts = uniform(-30.0, 30.0, 9);
  std::vector<double> small = uniform(-0.5, 0.5, 10);
  ts.insert(ts.end(), small.begin(), small.end());
  add_neighbours(ts, {0x1p-27, 0.17, 11.0, 22.0});
  EXPECT_WITHIN(4.0, worst_of(ts, tanh_d, mpfr_tanh), "tanh");
}

// The edges every C library agrees on.
TEST(DoubleFunctionsMpfrTest, SpecialValues) {
  const double inf = INFINITY;
  EXPECT_TRUE(std::isnan(sin_d(inf)));
  EXPECT_TRUE(std::isnan(cos_d(-inf)));
  EXPECT_TRUE(std::isnan(acos_d(1.0000000000000002)));
  EXPECT_EQ(acos_d(1.0), 0.0);
  EXPECT_EQ(acos_d(-1.0), M_PI);
  EXPECT_EQ(asin_d(-1.0), -M_PI / 2);
  EXPECT_EQ(atan2_d(0.0, -0.0), M_PI);
  EXPECT_EQ(atan2_d(-0.0, 1.0), 0.0);
  EXPECT_TRUE(std::signbit(atan2_d(-0.0, 1.0)));
  EXPECT_EQ(atan2_d(-inf, -inf), -3 * M_PI / 4);
  EXPECT_EQ(exp_d(0.0), 1.0);
  EXPECT_EQ(exp_d(710.0), inf);
  EXPECT_EQ(exp_d(-746.0), 0.0);
  EXPECT_GT(exp_d(-745.0), 0.0);
  EXPECT_EQ(tanh_d(-30.0), -1.0);
}

}  // namespace
