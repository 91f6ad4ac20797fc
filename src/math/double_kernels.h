// The double-precision pieces shared by the float functions and the
// double ones: Dekker's error-free sums, and the series of sin and cos on
// |r| <= pi/4, of atan on [0, 1] and of exp on |r| <= ln2 / 2, the last
// two without branches, for loops that take several data at a time.
// Each operation is an IEEE double operation rounded on its own, so every
// platform gives the same bits (the build forbids fused multiply-adds,
// -ffp-contract=off).
#ifndef SORVEL_MATH_DOUBLE_KERNELS_H_
#define SORVEL_MATH_DOUBLE_KERNELS_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

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

// 2^k for a k of the normal range of doubles.
inline double power_of_two(int k) {
  uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// The whole number nearest to a |v| below 2^51 (ties to even, as IEEE
// addition rounds).
inline double nearest_whole(double v) { return (v + 0x1.8p52) - 0x1.8p52; }

// A whole k, |k| below 2^51, as an integer: the low bits of k + 1.5 2^52
// are k's. No conversion instruction, with which the compiler takes no
// loop several data at a time.
inline int64_t whole_as_integer(double k) {
  const double shifted = k + 0x1.8p52, shift = 0x1.8p52;
  int64_t bits, bias;
  std::memcpy(&bits, &shifted, sizeof bits);
  std::memcpy(&bias, &shift, sizeof bias);
  return bits - bias;
}

// sqrt(1 - x^2) for |x| <= 1: of 1 - x and 1 + x, the one that loses
// digits is exact (Sterbenz), so the result keeps its relative accuracy
// up to |x| = 1; for a float x both are exact from 2^-29 up, and the
// result carries under 2^-52 (under 2^-51.5 below).
inline double cosine_of_sine(double x) { return std::sqrt((1.0 - x) * (1.0 + x)); }

// x = (4 n + quadrant) pi/2 + r, |r| <= pi/4 (a little more from the
// rounding of k).
struct ReducedAngle {
  int quadrant;
  DoubleDouble r;
};

// Cody and Waite's reduction for pi/4 <= |x| < 2^20, as a double-double
// within 2^-100 of x - k pi/2. With k of 20 bits at most and P1 and P2
// of 33, k P1 and k P2 are exact; x - k P1 is exact (Sterbenz: x lies
// within a quarter turn of k pi/2), and so is its sum with -k P2 as a
// double-double; k P3 and its sum with the low part err by 2^-100 at
// most. No float comes closer to a multiple of pi/2 than about 2^-30, so
// a float's r has over 70 good bits.
inline ReducedAngle reduced_angle_below_2_20(double x) {
  double k = nearest_whole(x * (2.0 / PI_DD.hi));
  double a = x - k * HALF_PI_PIECES[0];
  DoubleDouble r = two_sum(a, -(k * HALF_PI_PIECES[1]));
  return ReducedAngle{static_cast<int>(static_cast<int64_t>(k) & 3),
                      quick_two_sum(r.hi, r.lo - k * HALF_PI_PIECES[2])};
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

// sin x (or cos x with `cosine`) from its reduced angle. With x =
// (4 n + q) pi/2 + r, sin x is sin r, cos r, -sin r, -cos r for q = 0 to
// 3, and cos x = sin(x + pi/2).
inline double sin_or_cos_double(ReducedAngle a, bool cosine) {
  int q = (a.quadrant + (cosine ? 1 : 0)) & 3;
  double v = (q & 1) != 0 ? cos_double(a.r) : sin_double(a.r);
  return (q & 2) != 0 ? -v : v;
}

// atan t for 0 <= t <= 1, relative error below 2^-50: t - i/64 is exact
// (Sterbenz), u carries three roundings, the series to u^9 leaves less
// than 2^-59 u, and atan(i/64) outweighs the part from u. The table's
// entry i is the whole part of 64 t + 1/2 (as rounded), taken without a
// conversion or a branch so that a loop of them runs several at a time.
inline double atan_unit(double t) {
  const double v = t * ATAN_TABLE_STEPS + 0.5;
  const double nearest = nearest_whole(v);
  const double whole = nearest > v ? nearest - 1.0 : nearest;
  const int64_t i = whole_as_integer(whole);
  double c = whole / ATAN_TABLE_STEPS;
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
// least as large as a, add two roundings. No branch: the smaller of y
// and |x| over the larger, and the angle chosen after, so that a loop of
// them runs several at a time.
inline double atan2_double(double y, double x) {
  const double ax = std::fabs(x);
  const bool steep = !(y <= ax);
  const double a = atan_unit((steep ? ax : y) / (steep ? y : ax));
  const double from_axis = (HALF_PI_DD.hi + (x < 0.0 ? a : -a)) + HALF_PI_DD.lo;
  const double from_x = x < 0.0 ? (PI_DD.hi - a) + PI_DD.lo : a;
  return steep ? from_axis : from_x;
}

// acos x, without a branch; not a number outside [-1, 1], where the
// angle of 0 is taken meanwhile so that no table entry beyond the end is
// read. Below 2^-26, acos x is pi/2 - x to within half an ulp.
inline double arccosine(double x) {
  const bool inside = std::fabs(x) <= 1.0;
  const double within = inside ? x : 0.0;
  const double near_zero = HALF_PI_DD.hi + (HALF_PI_DD.lo - x);
  const double a = atan2_double(cosine_of_sine(within), within);
  const double angle = std::fabs(x) < 0x1p-26 ? near_zero : a;
  return inside ? angle : std::numeric_limits<double>::quiet_NaN();
}

// ln 2 as a part of 42 significant bits, so that k ln2_hi is exact for
// |k| < 2^11, and the rest (to 2^-100).
inline constexpr double LN2_HI = 0x1.62e42fefa38p-1;
inline constexpr double LN2_LO = 0x1.ef35793c7673p-45;
inline constexpr double INVERSE_LN2 = 0x1.71547652b82fep+0;

// e^r - 1 - r for |r| <= 0.35: the series to r^13 (the rest is below
// 2^-57), its terms paired (Estrin) so that they are not one long chain:
// the refinement takes an exponential of every datum at every step.
inline double exp_series_tail(double r) {
  const double r2 = r * r, r4 = r2 * r2;
  const double q0 = (0.5 + r * (1.0 / 6.0)) + (1.0 / 24.0 + r * (1.0 / 120.0)) * r2;
  const double q1 =
      (1.0 / 720.0 + r * (1.0 / 5040.0)) + (1.0 / 40320.0 + r * (1.0 / 362880.0)) * r2;
  const double q2 = (1.0 / 3628800.0 + r * (1.0 / 39916800.0)) +
                    (1.0 / 479001600.0 + r * (1.0 / 6227020800.0)) * r2;
  return r2 * ((q0 + q1 * r4) + q2 * (r4 * r4));
}

// e^x = e 2^k: k the whole number nearest x / ln 2, e = e^r for the rest
// r = x - k ln 2 (|r| <= ln2 / 2, a little more from the rounding of k).
struct ExpParts {
  double e, k;
};

inline ExpParts exp_parts(double x) {
  const double k = nearest_whole(x * INVERSE_LN2);
  const double r = (x - k * LN2_HI) - k * LN2_LO;
  return ExpParts{1.0 + (r + exp_series_tail(r)), k};
}

// 2^k for a whole k of the normal range (-1022 to 1023).
inline double power_of_two_of_whole(double k) {
  const uint64_t bits = static_cast<uint64_t>(whole_as_integer(k) + 1023) << 52;
  double p;
  std::memcpy(&p, &bits, sizeof p);
  return p;
}

// e^x where 2^k stays normal (about -708.3 <= x <= 709.7), without a
// branch.
inline double exp_in_normal_range(double x) {
  const ExpParts p = exp_parts(x);
  return p.e * power_of_two_of_whole(p.k);
}

#endif  // SORVEL_MATH_DOUBLE_KERNELS_H_
