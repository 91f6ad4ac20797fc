#include "fitness/fitness_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "common/constants.h"
#include "common/state.h"

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
    faults.count = 2;
    faults.data = static_cast<FaultDatum*>(std::calloc(2, sizeof(FaultDatum)));
    // Datum 1 slips exactly as EAST_UNIAXIAL predicts; datum 2 the opposite way.
    const float c = std::sqrt(0.5f);
    faults.data[0].normal_vector = {c, 0.0f, c};
    faults.data[0].slip_vector = {c, 0.0f, -c};
    faults.data[1].normal_vector = {c, 0.0f, c};
    faults.data[1].slip_vector = {-c, 0.0f, c};
    for (int32_t k = 0; k < GSS_SIZE; ++k) {
      for (int i = 0; i < 9; ++i) gss[k].stress_tensor[i] = k % 2 == 0 ? EAST_UNIAXIAL[i] : 0.0f;
    }
  }
  void TearDown() override {
    std::free(faults.data);
    faults.data = nullptr;
    faults.count = 0;
    std::free(fitness_table.scores);
    fitness_table.scores = nullptr;
  }
};

TEST_F(FitnessTableTest, ScoresAndSumsFollowTheLayout) {
  allocate_fitness_table();
  ASSERT_NE(fitness_table.scores, nullptr);
  ASSERT_EQ(fitness_table.columns, 2);
  fill_fitness_table(weight_function_of(2));
  // Row index fastest: datum 2 starts GSS_SIZE bytes in.
  EXPECT_EQ(fitness_table.scores[0], 100);
  EXPECT_EQ(fitness_table.scores[GSS_SIZE], -100);
  EXPECT_EQ(fitness_table.scores[1], 0);  // zero tensor: no shear, a right angle
  sum_fitness();
  EXPECT_EQ(gss[0].fitness, 0);
  EXPECT_EQ(gss[1].fitness, 0);
  fill_fitness_table(weight_function_of(3));
  sum_fitness();
  EXPECT_EQ(gss[1].fitness, -200);
  EXPECT_EQ(score_of_pair(gss[0].stress_tensor, faults.data[0], weight_function_of(3)), 100);
}

TEST_F(FitnessTableTest, SecondAllocationClearsTheTable) {
  allocate_fitness_table();
  fill_fitness_table(weight_function_of(1));
  int8_t* first = fitness_table.scores;
  allocate_fitness_table();
  EXPECT_EQ(fitness_table.scores, first);
  for (int32_t i = 0; i < 2 * GSS_SIZE; ++i) ASSERT_EQ(fitness_table.scores[i], 0);
}

TEST(FitnessTableSizeTest, SizeIsComputedWithoutOverflow) {
  std::size_t bytes = 0;
  ASSERT_TRUE(fitness_table_bytes(32767, bytes));
  EXPECT_EQ(bytes, 32767u * 59400u);
  ASSERT_TRUE(fitness_table_bytes(-5, bytes));
  EXPECT_EQ(bytes, 0u);
}

}  // namespace
