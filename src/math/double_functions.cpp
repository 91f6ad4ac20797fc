// The double functions from the float functions' kernels: Cody and
// Waite's reduction by pi/2 in three pieces, the series of sin and cos on
// |r| <= pi/4, the table-and-series arctangent; exp by ln 2 in two pieces
// and its series on |r| <= ln2 / 2.
#include "math/double_functions.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "math/double_kernels.h"

static constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
static constexpr double INFINITE = std::numeric_limits<double>::infinity();

// ---------------------------------------------------------------------
// sin, cos, tan.

// The reduced angle of any finite x: Cody and Waite's below 2^20; above,
// after the remainder by the double nearest to 2 pi (exact, by a modulus
// a little off: the same bits everywhere, no longer near the exact value).
static ReducedAngle reduced_angle(double x) {
  if (std::fabs(x) <= 0.25 * PI_DD.hi) return ReducedAngle{0, DoubleDouble{x, 0.0}};
  if (!(std::fabs(x) < 0x1p20)) x = std::fmod(x, 2.0 * PI_DD.hi);
  return reduced_angle_below_2_20(x);
}

double sin_d(double x) {
  if (!std::isfinite(x)) return x - x;
  return sin_or_cos_double(reduced_angle(x), false);
}

double cos_d(double x) {
  if (!std::isfinite(x)) return x - x;
  return sin_or_cos_double(reduced_angle(x), true);
}

// tan x is sin r / cos r in even quadrants, -cos r / sin r in odd ones.
double tan_d(double x) {
  if (!std::isfinite(x)) return x - x;
  ReducedAngle a = reduced_angle(x);
  double s = sin_double(a.r), c = cos_double(a.r);
  return (a.quadrant & 1) != 0 ? -c / s : s / c;
}

// ---------------------------------------------------------------------
// The arc functions.

double atan2_d(double y, double x) {
  if (std::isnan(y) || std::isnan(x)) return y + x;
  double ay = std::fabs(y), result;
  if (ay == 0.0) {
    result = x > 0.0 || (x == 0.0 && !std::signbit(x)) ? 0.0 : PI_DD.hi;
  } else if (std::isinf(ay)) {
    result = std::isinf(x) ? (x > 0.0 ? 0.5 : 1.5) * HALF_PI_DD.hi : HALF_PI_DD.hi;
  } else if (x == 0.0) {
    result = HALF_PI_DD.hi;
  } else if (std::isinf(x)) {
    result = x > 0.0 ? 0.0 : PI_DD.hi;
  } else {
    result = atan2_double(ay, x);
  }
  return std::signbit(y) ? -result : result;
}

double asin_d(double x) {
  double a = std::fabs(x);
  if (!(a <= 1.0)) return NOT_A_NUMBER;
  if (a < 0x1p-26) return x;  // asin x - x < x^3/6, below half an ulp
  double result = atan2_double(a, cosine_of_sine(a));
  return x < 0.0 ? -result : result;
}

double acos_d(double x) { return arccosine(x); }

// ---------------------------------------------------------------------
// exp and tanh.

double exp_d(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.782712893384) return INFINITE;
  if (x < -745.1332191019412) return 0.0;
  const ExpParts p = exp_parts(x);
  const int n = static_cast<int>(p.k);
  // 2^n in two factors where it leaves the normal range.
  if (n > 1023) return p.e * power_of_two(1023) * power_of_two(n - 1023);
  if (n < -1022) return p.e * power_of_two(n + 1000) * power_of_two(-1000);
  return p.e * power_of_two_of_whole(p.k);
}

// e^x - 1, kept to relative accuracy near 0.
static double exp_minus_one(double x) {
  if (std::fabs(x) <= 0.5 * LN2_HI) return x + exp_series_tail(x);
  return exp_d(x) - 1.0;
}

// tanh x = (e^2x - 1) / (e^2x + 1); beyond 22, 1 - tanh x is below half
// an ulp of 1.
double tanh_d(double x) {
  if (std::isnan(x)) return x;
  double a = std::fabs(x);
  double t;
  if (a > 22.0) {
    t = 1.0;
  } else if (a < 0x1p-27) {
    t = a;
  } else {
    double e = exp_minus_one(2.0 * a);
    t = e / (e + 2.0);
  }
  return std::signbit(x) ? -t : t;
}
