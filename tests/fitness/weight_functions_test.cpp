#include "fitness/weight_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "common/constants.h"

namespace {

int score(int id, float x) { return score_of_weight(weight_function_of(id).weight(x)); }

TEST(WeightFunctionTest, NamesInMenuOrder) {
  EXPECT_STREQ(weight_function_of(1).name, "cosine");
  EXPECT_STREQ(weight_function_of(2).name, "linear");
  EXPECT_STREQ(weight_function_of(3).name, "tangent");
  EXPECT_STREQ(weight_function_of(4).name, "hyperbolic tangent");
  EXPECT_EQ(padded_weight_name(4), "hyperbolic tangent                      ");
}

TEST(WeightFunctionTest, KnownValues) {
  EXPECT_DOUBLE_EQ(weight_cosine(0.0f), 1.0);
  EXPECT_NEAR(weight_cosine(PI_HALF), 0.5, 1e-7);
  EXPECT_NEAR(weight_cosine(PI), 0.0, 1e-14);
  EXPECT_EQ(weight_linear(0.0f), 1.0);
  EXPECT_NEAR(weight_linear(PI_HALF), 0.5, 1e-7);
  EXPECT_EQ(weight_linear(PI), 0.0);  // x / pi is exactly 1 for the float pi
  EXPECT_EQ(weight_tangent(0.0f), 1.0);
  float below_quarter = std::nextafter(0.7853982f, 0.0f);
  EXPECT_GT(weight_tangent(below_quarter), 0.0);
  EXPECT_LT(weight_tangent(below_quarter), 2e-7);
  EXPECT_EQ(weight_tangent(0.7853982f), 0.0);
  EXPECT_EQ(weight_tangent(2.0f), 0.0);
  EXPECT_NEAR(weight_hyperbolic_tangent(0.5235988f), 0.5 + 1.1920929e-7, 1e-12);
  EXPECT_NEAR(weight_hyperbolic_tangent(0.0f), 0.99997, 1e-5);
  EXPECT_NEAR(weight_hyperbolic_tangent(PI_HALF), 1.2e-7, 0.1e-7);
  EXPECT_NEAR(weight_hyperbolic_tangent(PI), 1.1920929e-7, 1e-12);
}

TEST(WeightFunctionTest, ScoresAtTheLandmarks) {
  for (int id = 1; id <= 4; ++id) {
    EXPECT_EQ(score(id, 0.0f), 100) << id;
    EXPECT_EQ(score(id, PI), -100) << id;
  }
  EXPECT_EQ(score(1, PI_HALF), 0);
  EXPECT_EQ(score(2, PI_HALF), 0);
  EXPECT_EQ(score(3, PI_HALF), -100);
  EXPECT_EQ(score(4, PI_HALF), -100);
  EXPECT_EQ(score(3, 0.7853982f), -100);
  EXPECT_EQ(score(4, 0.5235988f), 0);
}

TEST(WeightFunctionTest, ScoreRoundsToNearest) {
  // No double weight gives 200 w - 100 exactly on a half, so the halves
  // rule is checked on the rounding itself (number_format_test).
  EXPECT_EQ(score_of_weight(0.5126), 3);
  EXPECT_EQ(score_of_weight(0.4874), -3);
  EXPECT_EQ(score_of_weight(0.5124), 2);
  EXPECT_EQ(score_of_weight(1.0), 100);
  EXPECT_EQ(score_of_weight(0.0), -100);
}

// The weights and slopes of a run of cosines, taken several at a time,
// are those of one cosine at a time to the bit: on random cosines, on
// the ends and the middle of [-1, 1], about 2^-26 where the arccosine
// turns to pi/2 - d, about the tangent weight's edge, and about every
// cosine where the arctangent's table entry changes, in runs of odd
// lengths from odd places.
TEST(WeightFunctionTest, RunsOfCosinesGiveTheBitsOfOneAtATime) {
  std::vector<double> d;
  std::mt19937_64 random(31);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int k = 0; k < 200000; ++k) d.push_back(u(random));
  std::vector<double> marks = {-1.0, 1.0, 0.0, -0.0, 0x1p-26, -0x1p-26, 0x1.6a09e5e333598p-1};
  for (int i = 0; i <= 64; ++i) {
    // sqrt(1 - d^2) / |d| or its inverse is (i + 1/2) / 64 there
    const double t = (i + 0.5) / 64.0, c = 1.0 / std::sqrt(1.0 + t * t);
    for (double m : {c, t * c}) marks.insert(marks.end(), {m, -m});
  }
  for (double m : marks) {
    double below = m, above = m;
    for (int k = 0; k < 40; ++k) {
      below = std::nextafter(below, -1.0), above = std::nextafter(above, 1.0);
      d.insert(d.end(), {below, m, above});
    }
  }
  auto bits = [](double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
  };
  const int32_t n = static_cast<int32_t>(d.size());
  for (int id = 1; id <= 4; ++id) {
    const WeightFunction& weight = weight_function_of(id);
    std::vector<double> w(d), slopes(d.size());
    for (int32_t from = 0; from < n;) {
      const int32_t m = std::min(n - from, 2 * (from % 97) + 1);
      weight.weights_of_cosines(w.data() + from, m);
      weight.slopes_of_cosines(d.data() + from, w.data() + from, m, slopes.data() + from);
      from += m;
    }
    for (int32_t j = 0; j < n; ++j) {
      const double one = weight.weight_of_cosine(d[j]);
      ASSERT_EQ(bits(w[j]), bits(one)) << weight.name << ", cosine " << d[j];
      ASSERT_EQ(bits(slopes[j]), bits(weight.slope(d[j], one))) << weight.name << ", cosine " << d[j];
    }
  }
}

}  // namespace
