#include "fitness/fitness_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "common/constants.h"
#include "fitness/fill_reference.h"

namespace {

// S = e1 e1^T with e1 east: a uniaxial stress along x.
const float EAST_UNIAXIAL[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(PredictedSlipTest, ShearOnAnInclinedPlane) {
  const float c = std::sqrt(0.5f);
  Vec3 p = predicted_slip_direction(EAST_UNIAXIAL, Vec3{c, 0.0f, c});
  EXPECT_NEAR(p.x, c, 1e-6);
  EXPECT_NEAR(p.y, 0.0f, 1e-7);
  EXPECT_NEAR(p.z, -c, 1e-6);
}

TEST(PredictedSlipTest, PrincipalPlaneHasNoShear) {
  Vec3 p = predicted_slip_direction(EAST_UNIAXIAL, Vec3{1.0f, 0.0f, 0.0f});
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 0.0f);
  EXPECT_EQ(p.z, 0.0f);
  EXPECT_EQ(misfit_angle(p, Vec3{0.0f, 1.0f, 0.0f}), PI_HALF);
}

TEST(MisfitAngleTest, RangeAndClamp) {
  EXPECT_EQ(misfit_angle(Vec3{0, 0, 2}, Vec3{0, 0, 1}), 0.0f);
  EXPECT_EQ(misfit_angle(Vec3{0, 0, 1}, Vec3{0, 0, -3}), PI);
  EXPECT_NEAR(misfit_angle(Vec3{1, 0, 0}, Vec3{0, 1, 0}), PI_HALF, 1e-7);
  // Vectors whose rounded dot product exceeds 1 still give an angle.
  Vec3 v = {0.6f, 0.8f, 0.0f};
  float x = misfit_angle(v, v);
  EXPECT_FALSE(std::isnan(x));
  EXPECT_LT(x, 1e-3f);
}

class FitnessTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    faults_.count = 2;
    faults_.data.assign(2, FaultDatum());
    // Datum 1 slips exactly as EAST_UNIAXIAL predicts; datum 2 the opposite way.
    const float c = std::sqrt(0.5f);
    faults_.data[0].normal_vector = {c, 0.0f, c};
    faults_.data[0].slip_vector = {c, 0.0f, -c};
    faults_.data[1].normal_vector = {c, 0.0f, c};
    faults_.data[1].slip_vector = {-c, 0.0f, c};
    gss_.points.assign(GSS_SIZE, GridPoint());
    for (int32_t k = 0; k < GSS_SIZE; ++k) {
      for (int i = 0; i < 9; ++i)
        gss_.points[k].stress_tensor[i] = k % 2 == 0 ? EAST_UNIAXIAL[i] : 0.0f;
    }
  }
  FaultSet faults_;
  Gss gss_;
  FitnessTable table_;
  RunSettings settings_;
};

TEST_F(FitnessTableTest, ScoresAndSumsFollowTheLayout) {
  ASSERT_FALSE(allocate_fitness_table(faults_.count, table_));
  ASSERT_NE(table_.scores, nullptr);
  ASSERT_EQ(table_.columns, 2);
  fill_fitness_table(gss_, faults_, weight_function_of(2), settings_, table_);
  // Row index fastest: datum 2 starts GSS_SIZE bytes in.
  EXPECT_EQ(table_.scores[0], 100);
  EXPECT_EQ(table_.scores[GSS_SIZE], -100);
  EXPECT_EQ(table_.scores[1], 0);  // zero tensor: no shear, a right angle
  GridValues fitness = sum_fitness(table_, settings_);
  EXPECT_EQ(fitness[0], 0);
  EXPECT_EQ(fitness[1], 0);
  fill_fitness_table(gss_, faults_, weight_function_of(3), settings_, table_);
  fitness = sum_fitness(table_, settings_);
  EXPECT_EQ(fitness[1], -200);
  EXPECT_EQ(score_of_pair(gss_.points[0].stress_tensor, faults_.data[0], weight_function_of(3)),
            100);
}

TEST_F(FitnessTableTest, NoDataNoTable) {
  ASSERT_FALSE(allocate_fitness_table(0, table_));
  EXPECT_EQ(table_.scores, nullptr);
  EXPECT_EQ(table_.columns, 0);
  EXPECT_EQ(sum_fitness(table_, settings_), GridValues(GSS_SIZE, 0));
}

TEST(FitnessTableSizeTest, SizeIsComputedWithoutOverflow) {
  std::size_t bytes = 0;
  ASSERT_TRUE(fitness_table_bytes(32767, bytes));
  EXPECT_EQ(bytes, 32767u * 59400u);
  ASSERT_TRUE(fitness_table_bytes(-5, bytes));
  EXPECT_EQ(bytes, 0u);
}

}  // namespace
