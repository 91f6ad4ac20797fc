// Every float argument of sin, cos, asin and acos, and some two thousand
// million pairs of atan2, against the float nearest to the exact value.
// The reference is the C library's double-precision function where its
// result lies clearly away from every midpoint of two floats: its error is
// below an ulp of a double, 2^-52 of the value, so a margin of 2^-40
// cannot be crossed. Where it lies closer (about one argument in 30,000),
// MPFR at 200 bits decides. The tables of the functions are checked
// against MPFR too.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <sstream>
#include <vector>

#include "common/threads.h"
#include "math/float_functions.h"
#include "math/function_tables.h"

namespace {

const double CLEAR_MARGIN = 0x1p-40;
const int MPFR_BITS = 200;

float float_of(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

uint32_t bits_of(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// The float of r when r lies clearly away from every midpoint, or is
// NaN (outside the domain).
bool clearly_rounded(double r, float& f) {
  if (std::isnan(r)) {
    f = static_cast<float>(r);
    return true;
  }
  double e = std::fabs(r) * CLEAR_MARGIN;
  float low = static_cast<float>(r - e), high = static_cast<float>(r + e);
  if (low != high) return false;
  f = low;
  return true;
}

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// MPFR is called rarely; one lock keeps it safe whatever its build.
std::mutex mpfr_lock;

float mpfr_reference(MpfrFunction function, float x) {
  std::lock_guard<std::mutex> guard(mpfr_lock);
  mpfr_t v;
  mpfr_init2(v, MPFR_BITS);
  mpfr_set_flt(v, x, MPFR_RNDN);
  function(v, v, MPFR_RNDN);
  float result = mpfr_get_flt(v, MPFR_RNDN);
  mpfr_clear(v);
  return result;
}

float mpfr_atan2_reference(float y, float x) {
  std::lock_guard<std::mutex> guard(mpfr_lock);
  mpfr_t a, b;
  mpfr_init2(a, MPFR_BITS);
  mpfr_init2(b, MPFR_BITS);
  mpfr_set_flt(a, y, MPFR_RNDN);
  mpfr_set_flt(b, x, MPFR_RNDN);
  mpfr_atan2(a, a, b, MPFR_RNDN);
  float result = mpfr_get_flt(a, MPFR_RNDN);
  mpfr_clear(a);
  mpfr_clear(b);
  return result;
}

// The float nearest to function(x), given the C library's double result.
float reference(double library_result, MpfrFunction function, float x) {
  float f;
  if (clearly_rounded(library_result, f)) return f;
  return mpfr_reference(function, x);
}

float atan2_reference(float y, float x) {
  float f;
  if (clearly_rounded(std::atan2(static_cast<double>(y), static_cast<double>(x)), f)) return f;
  return mpfr_atan2_reference(y, x);
}

// Equal bit for bit (-0 is not +0), or both NaN.
bool same(float expected, float actual) {
  return bits_of(expected) == bits_of(actual) || (std::isnan(expected) && std::isnan(actual));
}

// Mismatches found on all threads, with the first few arguments.
class Mismatches {
 public:
  void add(const char* function, float y, float x, float expected, float actual) {
    std::lock_guard<std::mutex> guard(lock_);
    if (++count_ > 10) return;
    std::ostringstream line;
    line << std::hexfloat << function << "(" << y;
    if (std::strcmp(function, "atan2") == 0) line << ", " << x;
    line << ") = " << expected << ", not " << actual << "\n";
    first_ += line.str();
  }
  long count() const { return count_; }
  const std::string& first() const { return first_; }

 private:
  std::mutex lock_;
  long count_ = 0;
  std::string first_;
};

// check(first, count) for every bit pattern, in chunks on every thread.
void for_every_float(const std::function<void(uint32_t, uint32_t)>& check) {
  const uint32_t chunk = 1u << 20;
  parallel_for(static_cast<int32_t>((uint64_t{1} << 32) / chunk), hardware_thread_count(),
               [&](int32_t c) { check(static_cast<uint32_t>(c) * chunk, chunk); });
}

TEST(FloatFunctionsExhaustiveTest, SineAndCosineOfEveryFloat) {
  Mismatches wrong;
  for_every_float([&](uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
      float x = float_of(first + i);
      double xd = x;
      float s = sin_cr(x), c = cos_cr(x);
      float expected_s = reference(std::sin(xd), mpfr_sin, x);  // one call of sincos
      float expected_c = reference(std::cos(xd), mpfr_cos, x);
      if (!same(expected_s, s)) wrong.add("sin", x, 0.0f, expected_s, s);
      if (!same(expected_c, c)) wrong.add("cos", x, 0.0f, expected_c, c);
    }
  });
  EXPECT_EQ(wrong.count(), 0) << wrong.first();
}

// Outside [-1, 1] the result must be NaN, as MPFR gives.
TEST(FloatFunctionsExhaustiveTest, ArcsineAndArccosineOfEveryFloat) {
  Mismatches wrong;
  for_every_float([&](uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
      float x = float_of(first + i);
      double xd = x;
      float s = asin_cr(x), c = acos_cr(x);
      float expected_s = reference(std::asin(xd), mpfr_asin, x);
      float expected_c = reference(std::acos(xd), mpfr_acos, x);
      if (!same(expected_s, s)) wrong.add("asin", x, 0.0f, expected_s, s);
      if (!same(expected_c, c)) wrong.add("acos", x, 0.0f, expected_c, c);
    }
  });
  EXPECT_EQ(wrong.count(), 0) << wrong.first();
}

// Positive floats spread over every binade, subnormal ones included, at
// steps of an odd count of bit patterns so that mantissas vary; with
// their negatives, zeros, infinities and NaN.
std::vector<float> atan2_grid_values(uint32_t count) {
  std::vector<float> values;
  const uint32_t step = 0x7f7fffffu / count | 1u;
  for (uint32_t bits = 1; bits <= 0x7f7fffffu; bits += step) {
    values.push_back(float_of(bits));
    values.push_back(-float_of(bits));
  }
  for (float edge : {0.0f, std::numeric_limits<float>::max(), std::numeric_limits<float>::min(),
                     std::numeric_limits<float>::denorm_min(), 1.0f,
                     std::numeric_limits<float>::infinity()}) {
    values.push_back(edge);
    values.push_back(-edge);
  }
  values.push_back(std::numeric_limits<float>::quiet_NaN());
  return values;
}

void check_atan2_pairs(const std::vector<float>& ys, const std::vector<float>& xs) {
  Mismatches wrong;
  parallel_for(static_cast<int32_t>(ys.size()), hardware_thread_count(), [&](int32_t i) {
    float y = ys[static_cast<size_t>(i)];
    for (float x : xs) {
      float expected = atan2_reference(y, x), actual = atan2_cr(y, x);
      if (!same(expected, actual)) wrong.add("atan2", y, x, expected, actual);
    }
  });
  EXPECT_EQ(wrong.count(), 0) << wrong.first();
}

// Every pair of a grid of about 33,000 values: every quadrant, every
// ratio of magnitudes from 2^-277 to 2^277, subnormal results, and the
// zeros and infinities of C's atan2f.
TEST(FloatFunctionsExhaustiveTest, TwoArgumentArctangentOverAGrid) {
  std::vector<float> values = atan2_grid_values(16384);
  check_atan2_pairs(values, values);
}

// Every float y of [2^-7, 2), eight binades, against x of [1, 2) in each
// quadrant: the ratio passes densely through every entry of the
// arctangent table and both branches of the reduction.
TEST(FloatFunctionsExhaustiveTest, TwoArgumentArctangentOfEveryFloatOfEightBinades) {
  std::vector<float> ys;
  for (uint32_t bits = bits_of(0x1p-7f); bits < bits_of(2.0f); ++bits) ys.push_back(float_of(bits));
  std::vector<float> xs;
  for (float x : {1.0f, 0x1.000002p+0f, 0x1.2p+0f, 0x1.5555p+0f, 0x1.6a09e6p+0f, 0x1.9p+0f,
                  0x1.c0ffeep+0f, 0x1.fffffep+0f}) {
    xs.push_back(x);
    xs.push_back(-x);
  }
  check_atan2_pairs(ys, xs);
}

// The constants of the functions are MPFR's values, to the last bit.
TEST(FloatFunctionsExhaustiveTest, TablesAreMpfrValues) {
  mpfr_t v, rest;
  mpfr_init2(v, 400);
  mpfr_init2(rest, 400);
  auto expect_double_double = [&](const DoubleDouble& stored, const char* name) {
    double hi = mpfr_get_d(v, MPFR_RNDN);
    mpfr_sub_d(rest, v, hi, MPFR_RNDN);
    double lo = mpfr_get_d(rest, MPFR_RNDN);
    EXPECT_EQ(stored.hi, hi) << name;
    EXPECT_EQ(stored.lo, lo) << name;
  };
  for (int i = 0; i <= ATAN_TABLE_STEPS; ++i) {
    mpfr_set_si(v, i, MPFR_RNDN);
    mpfr_div_si(v, v, ATAN_TABLE_STEPS, MPFR_RNDN);
    mpfr_atan(v, v, MPFR_RNDN);
    expect_double_double(ATAN_TABLE[i], ("atan " + std::to_string(i)).c_str());
  }
  mpfr_const_pi(v, MPFR_RNDN);
  expect_double_double(PI_DD, "pi");
  mpfr_div_2ui(v, v, 1, MPFR_RNDN);
  expect_double_double(HALF_PI_DD, "pi/2");
  mpfr_t piece;  // pi/2 as three pieces: two cut short to 33 bits, the rest
  mpfr_init2(piece, 33);
  mpfr_const_pi(v, MPFR_RNDN);
  mpfr_div_2ui(v, v, 1, MPFR_RNDN);
  for (int k = 0; k < 2; ++k) {
    mpfr_set(piece, v, MPFR_RNDZ);
    EXPECT_EQ(HALF_PI_PIECES[k], mpfr_get_d(piece, MPFR_RNDN)) << "piece " << k;
    mpfr_sub(v, v, piece, MPFR_RNDN);
  }
  EXPECT_EQ(HALF_PI_PIECES[2], mpfr_get_d(v, MPFR_RNDN)) << "piece 2";
  mpfr_clear(piece);
  mpfr_const_pi(v, MPFR_RNDN);
  mpfr_ui_div(v, 2, v, MPFR_RNDN);  // 2/pi, its words after the binary point
  for (int j = 1; j < TWO_OVER_PI_WORD_COUNT; ++j) {
    mpfr_mul_2ui(v, v, 32, MPFR_RNDN);
    mpfr_floor(rest, v);
    EXPECT_EQ(TWO_OVER_PI_WORDS[j], mpfr_get_ui(rest, MPFR_RNDN)) << "word " << j;
    mpfr_sub(v, v, rest, MPFR_RNDN);
  }
  EXPECT_EQ(TWO_OVER_PI_WORDS[0], 0u);
  mpfr_clear(v);
  mpfr_clear(rest);
}

}  // namespace
