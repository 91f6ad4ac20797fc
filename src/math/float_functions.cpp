// Correctly rounded float functions in two stages (Ziv's strategy,
// "Fast evaluation of elementary mathematical functions with correctly
// rounded last bit", ACM TOMS 17, 1991). The first evaluates in double
// precision with a proven relative error below 2^-49; its result decides
// the float whenever the interval it leaves holds no rounding boundary,
// the midpoint of two floats. Otherwise, about once in ten million calls,
// the second evaluates in double-double arithmetic (some 100 bits), far
// closer than any float argument brings these functions to a midpoint.
//
// sin and cos reduce the argument to |r| <= pi/4 with the digits of 2/pi
// (Payne and Hanek, "Radian reduction for trigonometric functions",
// SIGNUM Newsletter 18, 1983), exactly enough for any finite float, then
// sum Taylor series. asin and acos are two-argument arctangents of x and
// sqrt(1 - x^2); atan t on [0, 1] is atan(i/64) from a table plus the
// Taylor series of atan u, u = (t - i/64) / (1 + t i/64), |u| <= 1/128.
//
// Only additions, multiplications, divisions and square roots of IEEE
// doubles are used, each rounded on its own: the error-free sums and
// products below are exact only so, which is why the build forbids
// contracting them into fused multiply-adds (-ffp-contract=off).
#include "math/float_functions.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "math/double_kernels.h"
#include "math/function_tables.h"

static_assert(FLT_EVAL_METHOD == 0, "every double operation must round to double, not wider");

// Bounds of the relative error of the double-precision stage: the
// analysis gives below 2^-51 for sin and cos and below 2^-49 for the
// arctangents; the bounds leave room.
static constexpr double SIN_COS_ERROR = 0x1p-47;
static constexpr double ATAN_ERROR = 0x1p-46;

// pi, pi/2, pi/4 and 3 pi/4 rounded to float.
static constexpr float PI_F = 0x1.921fb6p+1f;
static constexpr float HALF_PI_F = 0x1.921fb6p+0f;
static constexpr float QUARTER_PI_F = 0x1.921fb6p-1f;
static constexpr float THREE_QUARTER_PI_F = 0x1.2d97c8p+1f;

static uint32_t bits_of(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

static float float_of(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// ---------------------------------------------------------------------
// Double-double arithmetic (Dekker, "A floating-point technique for
// extending the available precision", Numer. Math. 18, 1971).

// a as hi + lo, each of at most 26 significant bits (Veltkamp).
static void split(double a, double& hi, double& lo) {
  double t = 134217729.0 * a;  // 2^27 + 1
  hi = t - (t - a);
  lo = a - hi;
}

// a b exactly, as the rounded product and its error.
static DoubleDouble two_product(double a, double b) {
  double p = a * b;
  double a_hi, a_lo, b_hi, b_lo;
  split(a, a_hi, a_lo);
  split(b, b_hi, b_lo);
  return DoubleDouble{p, ((a_hi * b_hi - p) + a_hi * b_lo + a_lo * b_hi) + a_lo * b_lo};
}

static DoubleDouble dd_negated(DoubleDouble a) { return DoubleDouble{-a.hi, -a.lo}; }

static DoubleDouble dd_add(DoubleDouble a, DoubleDouble b) {
  DoubleDouble s = two_sum(a.hi, b.hi);
  DoubleDouble t = two_sum(a.lo, b.lo);
  s = quick_two_sum(s.hi, s.lo + t.hi);
  return quick_two_sum(s.hi, s.lo + t.lo);
}

static DoubleDouble dd_sub(DoubleDouble a, DoubleDouble b) { return dd_add(a, dd_negated(b)); }

static DoubleDouble dd_mul(DoubleDouble a, DoubleDouble b) {
  DoubleDouble p = two_product(a.hi, b.hi);
  return quick_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

static DoubleDouble dd_mul_d(DoubleDouble a, double b) {
  DoubleDouble p = two_product(a.hi, b);
  return quick_two_sum(p.hi, p.lo + a.lo * b);
}

// a / b by three quotient digits, each taken from the exact remainder.
static DoubleDouble dd_div(DoubleDouble a, DoubleDouble b) {
  double q1 = a.hi / b.hi;
  DoubleDouble r = dd_sub(a, dd_mul_d(b, q1));
  double q2 = r.hi / b.hi;
  r = dd_sub(r, dd_mul_d(b, q2));
  double q3 = r.hi / b.hi;
  return dd_add(quick_two_sum(q1, q2), DoubleDouble{q3, 0.0});
}

static DoubleDouble dd_div_d(DoubleDouble a, double b) { return dd_div(a, DoubleDouble{b, 0.0}); }

// One Newton step from the double square root doubles its bits.
static DoubleDouble dd_sqrt(DoubleDouble a) {
  if (a.hi <= 0.0) return DoubleDouble{0.0, 0.0};
  double s = std::sqrt(a.hi);
  DoubleDouble rest = dd_sub(a, two_product(s, s));
  return quick_two_sum(s, rest.hi / (2.0 * s));
}

// ---------------------------------------------------------------------
// Rounding to float.

// The float next to f, upwards or downwards (f finite).
static float next_float(float f, bool upwards) {
  if (f == 0.0f) return upwards ? std::numeric_limits<float>::denorm_min()
                                : -std::numeric_limits<float>::denorm_min();
  uint32_t bits = bits_of(f);
  return float_of((f > 0.0f) == upwards ? bits + 1 : bits - 1);
}

// Sets result to the float nearest to every number within v (1 +- error)
// and returns true, or returns false when two floats share the interval.
// Float midpoints are doubles and rounding is monotone, so a midpoint in
// the interval lies between v - e and v + e as rounded, and their floats
// differ.
static bool rounded_if_clear(double v, double error, float& result) {
  double e = std::fabs(v) * error;
  float low = static_cast<float>(v - e);
  float high = static_cast<float>(v + e);
  if (low != high) return false;
  result = low;
  return true;
}

// The float nearest to v.hi + v.lo. As |v.lo| is at most half a double
// ulp of v.hi, only a v.hi on a float midpoint leaves v.lo to decide.
static float rounded(DoubleDouble v) {
  float f = static_cast<float>(v.hi);
  double gap = v.hi - static_cast<double>(f);  // exact
  if (gap == 0.0 || v.lo == 0.0) return f;
  float g = next_float(f, gap > 0.0);
  if (v.hi != 0.5 * (static_cast<double>(f) + static_cast<double>(g))) return f;
  return (v.lo > 0.0) == (gap > 0.0) ? g : f;
}

// ---------------------------------------------------------------------
// sin and cos.

// The reduction of a finite float |x| >= pi/4. With x = m 2^e (m of 24
// bits), x 2/pi modulo 4 needs only the digits of 2/pi from weight
// 2^(1 - e) on: earlier ones make multiples of 4. Six words of digits from
// there give x 2/pi to 2^-135 absolute, while the fraction never comes
// closer to 0 than about 2^-30 for a float x: over 100 bits of r.
static ReducedAngle reduced_angle_of_any(float ax) {
  uint32_t bits = bits_of(ax);
  int e = static_cast<int>(bits >> 23) - 150;
  uint64_t m = (bits & 0x7fffffu) | 0x800000u;
  int first = (e + 62) / 32 - 1;  // floor((e - 2) / 32) + 1, the first word that counts

  // p = m times words first .. first + 5, seven words, most significant first.
  uint32_t p[7];
  uint64_t carry = 0;
  for (int k = 5; k >= 0; --k) {
    uint64_t t = m * TWO_OVER_PI_WORDS[first + k] + carry;
    p[k + 1] = static_cast<uint32_t>(t);
    carry = t >> 32;
  }
  p[0] = static_cast<uint32_t>(carry);

  // The binary point of p lies 32 (first + 5) - e bits above its last
  // digit; shifted left by `shift`, it falls after word 0 (the digits
  // shifted out are multiples of 4).
  int shift = 32 - 32 * first + e;  // 2 to 33
  int words = shift / 32, offset = shift % 32;
  uint32_t a[7];
  for (int k = 0; k < 7; ++k) {
    uint64_t high = k + words < 7 ? p[k + words] : 0;
    uint64_t low = k + words + 1 < 7 ? p[k + words + 1] : 0;
    a[k] = static_cast<uint32_t>((((high << 32) | low) << offset) >> 32);
  }

  // Round to the nearest whole number: a fraction of a half or more
  // counts from the next one, negative.
  int quadrant = static_cast<int>(a[0] & 3u);
  bool negative = (a[1] >> 31) != 0;
  if (negative) {
    quadrant = (quadrant + 1) & 3;
    uint64_t add = 1;
    for (int k = 6; k >= 1; --k) {
      uint64_t t = static_cast<uint64_t>(static_cast<uint32_t>(~a[k])) + add;
      a[k] = static_cast<uint32_t>(t);
      add = t >> 32;
    }
  }

  // The magnitude of the fraction, words a[1..6], as a double-double.
  int lead = 1;
  while (lead < 7 && a[lead] == 0) ++lead;
  if (lead == 7) return ReducedAngle{quadrant, DoubleDouble{0.0, 0.0}};
  auto word = [&a](int k) -> uint64_t { return k < 7 ? a[k] : 0; };
  uint64_t w0 = (word(lead) << 32) | word(lead + 1);
  uint64_t w1 = (word(lead + 2) << 32) | word(lead + 3);
  int z = std::countl_zero(w0);
  if (z > 0) {
    w0 = (w0 << z) | (w1 >> (64 - z));
    w1 <<= z;
  }
  // fraction = (w0 + w1 2^-64) 2^(-32 (lead + 1) - z)
  double scale = power_of_two(-32 * (lead + 1) - z);
  double hi = static_cast<double>(w0 & ~uint64_t{0x7ff}) * scale;  // 53 bits: exact
  double lo = (static_cast<double>(w0 & 0x7ff) + static_cast<double>(w1 >> 11) * 0x1p-53) * scale;
  DoubleDouble fraction = quick_two_sum(hi, lo);
  if (negative) fraction = dd_negated(fraction);
  return ReducedAngle{quadrant, dd_mul(fraction, HALF_PI_DD)};
}

// The series in double-double, to r^29 and r^28 (the rest below 2^-102).
static DoubleDouble sin_double_double(DoubleDouble r) {
  DoubleDouble z = dd_mul(r, r), term = r, sum = r;
  for (int n = 3; n <= 29; n += 2) {
    term = dd_div_d(dd_mul(term, z), -static_cast<double>((n - 1) * n));
    sum = dd_add(sum, term);
  }
  return sum;
}

static DoubleDouble cos_double_double(DoubleDouble r) {
  DoubleDouble z = dd_mul(r, r), term{1.0, 0.0}, sum{1.0, 0.0};
  for (int n = 2; n <= 28; n += 2) {
    term = dd_div_d(dd_mul(term, z), -static_cast<double>((n - 1) * n));
    sum = dd_add(sum, term);
  }
  return sum;
}

// The second stage, with the reduction of Payne and Hanek whatever the
// argument. It stays out of line, so that the first stage keeps its
// values in registers (about three times faster).
[[gnu::noinline]] static float sin_or_cos_second_stage(float ax, bool cosine) {
  ReducedAngle a = bits_of(ax) < bits_of(QUARTER_PI_F)
                       ? ReducedAngle{0, DoubleDouble{ax, 0.0}}
                       : reduced_angle_of_any(ax);
  int q = (a.quadrant + (cosine ? 1 : 0)) & 3;
  DoubleDouble v = (q & 1) != 0 ? cos_double_double(a.r) : sin_double_double(a.r);
  return rounded((q & 2) != 0 ? dd_negated(v) : v);
}

static float sin_or_cos(float ax, bool cosine) {
  uint32_t bits = bits_of(ax);
  ReducedAngle a = bits < bits_of(QUARTER_PI_F) ? ReducedAngle{0, DoubleDouble{ax, 0.0}}
                   : bits < 0x49800000u         ? reduced_angle_below_2_20(ax)
                                                : reduced_angle_of_any(ax);
  float result;
  if (rounded_if_clear(sin_or_cos_double(a, cosine), SIN_COS_ERROR, result)) return result;
  return sin_or_cos_second_stage(ax, cosine);
}

float sin_cr(float x) {
  uint32_t magnitude = bits_of(x) & 0x7fffffffu;
  if (magnitude >= 0x7f800000u) return x - x;  // NaN for an infinity or NaN
  // Below 2^-12, x - sin x < x^3/6 is less than half the gap to the
  // float below x: sin x rounds to x.
  if (magnitude < 0x39800000u) return x;
  float s = sin_or_cos(std::fabs(x), false);
  return x < 0.0f ? -s : s;
}

float cos_cr(float x) {
  uint32_t magnitude = bits_of(x) & 0x7fffffffu;
  if (magnitude >= 0x7f800000u) return x - x;
  // Below 2^-12, 1 - cos x < x^2/2 is less than half the gap to the
  // float below 1.
  if (magnitude < 0x39800000u) return 1.0f;
  return sin_or_cos(std::fabs(x), true);
}

// ---------------------------------------------------------------------
// The arctangents.

// The same in double-double: the series of atan u to u^17 (the rest is
// below 2^-126 u).
static DoubleDouble atan_unit_double_double(DoubleDouble t) {
  int i = static_cast<int>(t.hi * ATAN_TABLE_STEPS + 0.5);
  double c = static_cast<double>(i) / ATAN_TABLE_STEPS;
  DoubleDouble u = dd_div(dd_add(t, DoubleDouble{-c, 0.0}),
                          dd_add(DoubleDouble{1.0, 0.0}, dd_mul_d(t, c)));
  DoubleDouble z = dd_mul(u, u), power = u, sum = u;
  for (int n = 3; n <= 17; n += 2) {
    power = dd_mul(power, z);
    DoubleDouble term = dd_div_d(power, n);
    sum = n % 4 == 3 ? dd_sub(sum, term) : dd_add(sum, term);
  }
  return dd_add(ATAN_TABLE[i], sum);
}

static DoubleDouble atan2_double_double(DoubleDouble y, DoubleDouble x) {
  DoubleDouble ax = x.hi < 0.0 ? dd_negated(x) : x;
  if (y.hi <= ax.hi) {
    DoubleDouble a = atan_unit_double_double(dd_div(y, ax));
    return x.hi < 0.0 ? dd_sub(PI_DD, a) : a;
  }
  DoubleDouble a = atan_unit_double_double(dd_div(ax, y));
  return x.hi < 0.0 ? dd_add(HALF_PI_DD, a) : dd_sub(HALF_PI_DD, a);
}


// The same in double-double: x^2 of a float is exact, so is 1 - x^2.
static DoubleDouble cosine_of_sine_double_double(double x) {
  return dd_sqrt(two_sum(1.0, -(x * x)));
}

// The second stages, out of line as for sin and cos.
[[gnu::noinline]] static float asin_second_stage(double x) {
  return rounded(atan2_double_double(DoubleDouble{x, 0.0}, cosine_of_sine_double_double(x)));
}

[[gnu::noinline]] static float acos_second_stage(double x) {
  return rounded(atan2_double_double(cosine_of_sine_double_double(x), DoubleDouble{x, 0.0}));
}

[[gnu::noinline]] static float atan2_second_stage(double y, double x) {
  return rounded(atan2_double_double(DoubleDouble{y, 0.0}, DoubleDouble{x, 0.0}));
}

float asin_cr(float x) {
  float ax = std::fabs(x);
  if (!(ax <= 1.0f)) return std::numeric_limits<float>::quiet_NaN();
  // Below 2^-12, asin x - x < x^3/6 is less than half the gap to the
  // float above x.
  if (ax < 0x1p-12f) return x;
  double a = ax;
  float result;
  if (!rounded_if_clear(atan2_double(a, cosine_of_sine(a)), ATAN_ERROR, result))
    result = asin_second_stage(a);
  return x < 0.0f ? -result : result;
}

// acos x = pi/2 - (x + x^3/6 + 3 x^5/40 + ...) for |x| < 2^-12: the terms
// from x^5 on stay below 2^-63, the roundings below 2^-52 relative.
static double acos_of_small(double x) {
  return HALF_PI_DD.hi + (HALF_PI_DD.lo - (x + x * (x * x) * (1.0 / 6.0)));
}

float acos_cr(float x) {
  float ax = std::fabs(x);
  if (!(ax <= 1.0f)) return std::numeric_limits<float>::quiet_NaN();
  double c = x;
  double first = ax < 0x1p-12f ? acos_of_small(c) : atan2_double(cosine_of_sine(c), c);
  float result;
  if (!rounded_if_clear(first, ATAN_ERROR, result)) result = acos_second_stage(c);
  return result;
}

// atan2 where y or x is 0 or infinite.
static float atan2_special(float ay, float x) {
  if (ay == 0.0f) return x > 0.0f || (x == 0.0f && !std::signbit(x)) ? 0.0f : PI_F;
  if (std::isinf(ay)) return std::isinf(x) ? (x > 0.0f ? QUARTER_PI_F : THREE_QUARTER_PI_F) : HALF_PI_F;
  if (x == 0.0f) return HALF_PI_F;
  return x > 0.0f ? 0.0f : PI_F;  // x infinite
}

float atan2_cr(float y, float x) {
  if (std::isnan(y) || std::isnan(x)) return y + x;
  float ay = std::fabs(y);
  float result;
  if (ay == 0.0f || x == 0.0f || std::isinf(ay) || std::isinf(x)) {
    result = atan2_special(ay, x);
  } else if (!rounded_if_clear(atan2_double(ay, x), ATAN_ERROR, result)) {
    result = atan2_second_stage(ay, x);
  }
  return std::signbit(y) ? -result : result;
}
