#include "fitness/weight_functions.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
