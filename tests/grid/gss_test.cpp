// The grid of stress states: the spiral, the recentred first direction,
// the ordering of the records and the stored stress ratios.
#include "grid/gss.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/constants.h"
#include "support/grid_fixture.h"
#include "grid/orientation.h"

namespace {

float to_degrees(float radians) { return radians / DEG_TO_RAD; }

class SigmaThreeSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directions_ = generate_sigma3_directions(GSS_SIGMA3_COUNT);
    ASSERT_EQ(directions_.size(), 300u);
  }
  SphericalPoint at(int16_t k) { return directions_.at(static_cast<std::size_t>(k - 1)); }
  std::vector<SphericalPoint> directions_;
};

TEST_F(SigmaThreeSetTest, SpiralLongitudes) {
  const float expected[6] = {103.1f, 176.1f, 235.8f, 287.5f, 333.7f, 16.0f};
  for (int16_t k = 2; k <= 7; ++k)
    EXPECT_NEAR(expected[k - 2], to_degrees(at(k).longitude), 0.05f) << "point " << k;
  for (int16_t k = 2; k <= GSS_SIGMA3_COUNT; ++k) {
    EXPECT_GE(at(k).longitude, 0.0f);
    EXPECT_LT(at(k).longitude, TWO_PI);
  }
}

TEST_F(SigmaThreeSetTest, SpiralColatitudesSpanTheLowerHemisphere) {
  EXPECT_NEAR(175.32f, to_degrees(at(2).colatitude), 0.01f);
  EXPECT_NEAR(90.10f, to_degrees(at(300).colatitude), 0.01f);
  for (int16_t k = 3; k <= GSS_SIGMA3_COUNT; ++k) {
    EXPECT_LT(at(k).colatitude, at(k - 1).colatitude) << k;
    EXPECT_GT(at(k).colatitude, PI_HALF) << k;
  }
}

TEST_F(SigmaThreeSetTest, FirstDirectionIsRecentred) {
  SphericalPoint p = at(1);
  EXPECT_NEAR(3.0820f, p.colatitude, 5e-5f);
  EXPECT_NEAR(-1.1752f, p.longitude, 5e-5f);
}

TEST_F(SigmaThreeSetTest, RecentringIsRepeatable) {
  // A second generation in the same process must not carry over the sum.
  SphericalPoint first = at(1);
  std::vector<SphericalPoint> again = generate_sigma3_directions(GSS_SIGMA3_COUNT);
  EXPECT_EQ(first.colatitude, again[0].colatitude);
  EXPECT_EQ(first.longitude, again[0].longitude);
}

TEST_F(SigmaThreeSetTest, SmallSets) {
  EXPECT_TRUE(generate_sigma3_directions(0).empty());
  // One direction: the pole, recentred on itself alone.
  std::vector<SphericalPoint> one = generate_sigma3_directions(1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_NEAR(PI, one[0].colatitude, 1e-6f);
}

class GridTest : public ::testing::Test {
 protected:
  static const GridPoint& point(int32_t k) { return grid_point(k); }
};

TEST_F(GridTest, NamedGridPoints) {
  const GridPoint& g1 = point(1);
  EXPECT_NEAR(3.0820f, g1.euler_theta, 5e-5f);
  EXPECT_NEAR(-1.1752f, g1.euler_phi, 5e-5f);
  EXPECT_EQ(0.0f, g1.euler_psi);
  EXPECT_EQ(0.0f, g1.stress_ratio);

  const GridPoint& g11 = point(11);
  EXPECT_EQ(g1.euler_theta, g11.euler_theta);
  EXPECT_EQ(g1.euler_phi, g11.euler_phi);
  EXPECT_EQ(0.0f, g11.euler_psi);
  EXPECT_EQ(1.0f, g11.stress_ratio);

  const GridPoint& g12 = point(12);
  EXPECT_EQ(g1.euler_theta, g12.euler_theta);
  EXPECT_EQ(0.17453292f, g12.euler_psi);
  EXPECT_EQ(0.0f, g12.stress_ratio);

  const GridPoint& g199 = point(199);
  EXPECT_NEAR(175.32f, to_degrees(g199.euler_theta), 0.01f);
  EXPECT_NEAR(103.1f, to_degrees(g199.euler_phi), 0.05f);
  EXPECT_EQ(0.0f, g199.euler_psi);
  EXPECT_EQ(0.0f, g199.stress_ratio);

  const GridPoint& last = point(GSS_SIZE);
  EXPECT_NEAR(90.10f, to_degrees(last.euler_theta), 0.01f);
  EXPECT_EQ(17.0f * 0.17453292f, last.euler_psi);
  EXPECT_NEAR(170.0f, to_degrees(last.euler_psi), 1e-4f);
  EXPECT_EQ(1.0f, last.stress_ratio);
}

TEST_F(GridTest, StressRatiosAreTheSinglePrecisionProducts) {
  const float expected[11] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f,
                              0.6f, 0.7f, 0.8f, 0.90000004f, 1.0f};
  for (int j = 0; j < 11; ++j) EXPECT_EQ(expected[j], point(j + 1).stress_ratio) << j;
  EXPECT_NE(0.9f, point(10).stress_ratio);
  EXPECT_EQ(9, std::lround(point(10).stress_ratio * 10.0f));
}

TEST_F(GridTest, OrderingOfRecords) {
  // Ratio fastest, then the sigma1 turn, then the sigma3 direction.
  for (int32_t k = 1; k <= GSS_SIZE; ++k) {
    int32_t i = (k - 1) / 198, m = (k - 1) / 11 % 18, j = (k - 1) % 11;
    const GridPoint& g = point(k);
    ASSERT_EQ(static_cast<float>(m) * 0.17453292f, g.euler_psi) << k;
    ASSERT_EQ(0.1f * static_cast<float>(j), g.stress_ratio) << k;
    const GridPoint& head = point(i * 198 + 1);
    ASSERT_EQ(head.euler_theta, g.euler_theta) << k;
    ASSERT_EQ(head.euler_phi, g.euler_phi) << k;
  }
}

TEST_F(GridTest, EverySigmaThreeAxisPointsDown) {
  for (int32_t k = 1; k <= GSS_SIZE; ++k) {
    const GridPoint& g = point(k);
    Matrix3 r = euler_rotation_matrix(g.euler_theta, g.euler_phi, g.euler_psi);
    ASSERT_LT(r.m[2][2], 0.0f) << k;
  }
}

TEST_F(GridTest, EveryRotationIsOrthonormal) {
  for (int32_t k = 1; k <= GSS_SIZE; k += 11) {
    const GridPoint& g = point(k);
    Matrix3 r = euler_rotation_matrix(g.euler_theta, g.euler_phi, g.euler_psi);
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        float dot = r.m[a][0] * r.m[b][0] + r.m[a][1] * r.m[b][1] + r.m[a][2] * r.m[b][2];
        ASSERT_NEAR(a == b ? 1.0f : 0.0f, dot, 6e-7f) << k << " rows " << a << b;
      }
  }
}

TEST_F(GridTest, GenerationIsRepeatable) {
  Gss again;
  ASSERT_TRUE(is_GSS_generation_successful(again));
  ASSERT_EQ(again.points.size(), static_cast<std::size_t>(GSS_SIZE));
  EXPECT_EQ(point(4321).euler_theta, again.points[4320].euler_theta);
  EXPECT_EQ(point(4321).euler_phi, again.points[4320].euler_phi);
  EXPECT_EQ(again.points[0].euler_phi, again.points[10].euler_phi);
  EXPECT_NEAR(-1.1752f, again.points[0].euler_phi, 5e-5f);
}

}  // namespace
