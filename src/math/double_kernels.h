// The double-precision pieces shared by the float functions and the
// double ones: Dekker's error-free sums, and the series of sin and cos on
// |r| <= pi/4 and of atan on [0, 1]. Each operation is an IEEE double
// operation rounded on its own, so every platform gives the same bits
// (the build forbids fused multiply-adds, -ffp-contract=off).
#ifndef SORVEL_MATH_DOUBLE_KERNELS_H_
#define SORVEL_MATH_DOUBLE_KERNELS_H_

#include <cmath>

#include "math/function_tables.h"

// Taylor coefficients, (-1)^k / n!: 1/n! for n <= 17 and 1/n are the
// quotients of exact doubles, each rounded once.
inline constexpr double S3 = -1.0 / 6.0, S5 = 1.0 / 120.0, S7 = -1.0 / 5040.0, S9 = 1.0 / 362880.0,
                        S11 = -1.0 / 39916800.0, S13 = 1.0 / 6227020800.0,
                        S15 = -1.0 / 1307674368000.0, S17 = 1.0 / 355687428096000.0;
inline constexpr double C4 = 1.0 / 24.0, C6 = -1.0 / 720.0, C8 = 1.0 / 40320.0,
                        C10 = -1.0 / 3628800.0, C12 = 1.0 / 479001600.0, C14 = -1.0 / 87178291200.0,
                        C16 = 1.0 / 20922789888000.0;
inline constexpr double A3 = -1.0 / 3.0, A5 = 1.0 / 5.0, A7 = -1.0 / 7.0, A9 = 1.0 / 9.0;

// a + b exactly, as the rounded sum and its error.
inline DoubleDouble two_sum(double a, double b) {
  double s = a + b;
  double b_part = s - a;
  return DoubleDouble{s, (a - (s - b_part)) + (b - b_part)};
}

// The same when |a| >= |b| (or a = 0).
inline DoubleDouble quick_two_sum(double a, double b) {
  double s = a + b;
  return DoubleDouble{s, b - (s - a)};
}

// sin r, |r| <= pi/4: the series to r^17 (the rest is below 2^-62 r),
// its terms paired (Estrin) so that they are not one long chain.
inline double sin_double(DoubleDouble r) {
  double z = r.hi * r.hi;
  double z2 = z * z;
  double s =
      ((S3 + S5 * z) + (S7 + S9 * z) * z2) + ((S11 + S13 * z) + (S15 + S17 * z) * z2) * (z2 * z2);
  return r.hi + (r.lo + r.hi * z * s);
}

// cos r, |r| <= pi/4: the series to r^16 (the rest is below 2^-58).
inline double cos_double(DoubleDouble r) {
  double z = r.hi * r.hi;
  double z2 = z * z;
  double c = ((C4 + C6 * z) + (C8 + C10 * z) * z2) + ((C12 + C14 * z) + C16 * z2) * (z2 * z2);
  return (1.0 - 0.5 * z) + (z2 * c - r.hi * r.lo);
}

// atan t for 0 <= t <= 1, relative error below 2^-50: t - i/64 is exact
// (Sterbenz), u carries three roundings, the series to u^9 leaves less
// than 2^-59 u, and atan(i/64) outweighs the part from u.
inline double atan_unit(double t) {
  int i = static_cast<int>(t * ATAN_TABLE_STEPS + 0.5);
  double c = static_cast<double>(i) / ATAN_TABLE_STEPS;
  double u = (t - c) / (1.0 + t * c);
  double z = u * u;
  double p = A9;
  p = p * z + A7;
  p = p * z + A5;
  p = p * z + A3;
  return ATAN_TABLE[i].hi + (ATAN_TABLE[i].lo + (u + u * z * p));
}

// atan2(y, x) for y >= 0, neither 0 nor infinite, relative error below
// 2^-49 when y and x carry less than 2^-51.5: the quotient, at most 1,
// passes its error on to atan no larger, and pi - a and pi/2 +- a, at
// least as large as a, add two roundings.
inline double atan2_double(double y, double x) {
  double ax = std::fabs(x);
  if (y <= ax) {
    double a = atan_unit(y / ax);
    return x < 0.0 ? (PI_DD.hi - a) + PI_DD.lo : a;
  }
  double a = atan_unit(ax / y);
  return x < 0.0 ? (HALF_PI_DD.hi + a) + HALF_PI_DD.lo : (HALF_PI_DD.hi - a) + HALF_PI_DD.lo;
}

#endif  // SORVEL_MATH_DOUBLE_KERNELS_H_
