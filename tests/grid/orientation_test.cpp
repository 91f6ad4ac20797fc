// Orientation and vector operations: the frame's signs and ranges, the
// zero-length threshold and the exact remainders. Tolerances of a few
// 1e-7 are the single-precision rounding of a handful of operations.
#include "grid/orientation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/constants.h"

namespace {

const float TOL = 3e-7f;

void expect_vec(Vec3 expected, Vec3 actual, float tol = TOL) {
  EXPECT_NEAR(expected.x, actual.x, tol);
  EXPECT_NEAR(expected.y, actual.y, tol);
  EXPECT_NEAR(expected.z, actual.z, tol);
}

TEST(OrientationTest, ConstantsAreTheSinglePrecisionValues) {
  EXPECT_EQ(PI_HALF, 1.5707964f);
  EXPECT_EQ(PI, 3.1415927f);
  EXPECT_EQ(TWO_PI, 6.2831855f);
  EXPECT_EQ(FOUR_PI, 12.566371f);
  EXPECT_EQ(ZERO_LENGTH, std::ldexp(1.0f, -22));
}

TEST(OrientationTest, OrientationToVectorPointsNorthEastAndDown) {
  expect_vec({0, 1, 0}, orientation_to_vector(make_orientation(0.0f, 0.0f)));
  expect_vec({1, 0, 0}, orientation_to_vector(make_orientation(PI_HALF, 0.0f)));
  for (float azimuth : {0.0f, 1.0f, 2.5f, 4.0f, 6.0f})
    expect_vec({0, 0, -1}, orientation_to_vector(make_orientation(azimuth, PI_HALF)));
  // Thirty degrees below north-east.
  float s = std::sqrt(0.5f) * std::cos(PI / 6.0f);
  expect_vec({s, s, -0.5f}, orientation_to_vector(make_orientation(PI / 4.0f, PI / 6.0f)));
}

TEST(OrientationTest, TrendPlungeOfHorizontalAxes) {
  const Vec3 axes[4] = {{0, 1, 0}, {1, 0, 0}, {0, -1, 0}, {-1, 0, 0}};
  const float azimuths[4] = {0.0f, PI_HALF, PI, 3.0f * PI_HALF};
  for (int i = 0; i < 4; ++i) {
    Orientation o = vector_to_trend_plunge(axes[i]);
    EXPECT_NEAR(azimuths[i], o.azimuth, 1e-6f) << i;
    EXPECT_NEAR(0.0f, o.plunge, TOL) << i;
    EXPECT_GE(o.azimuth, 0.0f);
    EXPECT_LT(o.azimuth, TWO_PI);
  }
}

TEST(OrientationTest, TrendPlungeBelowNorthEastAndScaleFree) {
  Vec3 v = {0.6123724f, 0.6123724f, -0.5f};
  Orientation o = vector_to_trend_plunge(v);
  EXPECT_NEAR(PI / 4.0f, o.azimuth, 1e-6f);
  EXPECT_NEAR(PI / 6.0f, o.plunge, 1e-6f);
  // Powers of two scale exactly, so the result must be identical.
  Orientation scaled = vector_to_trend_plunge(Vec3{v.x * 8.0f, v.y * 8.0f, v.z * 8.0f});
  EXPECT_EQ(o.azimuth, scaled.azimuth);
  EXPECT_EQ(o.plunge, scaled.plunge);
  Orientation up = vector_to_trend_plunge(Vec3{0.3f, -0.4f, 0.5f});
  EXPECT_LT(up.plunge, 0.0f);
  EXPECT_NEAR(-PI / 4.0f, up.plunge, 1e-6f);
}

TEST(OrientationTest, SphericalRoundTrip) {
  SphericalPoint p = {2.5f, -1.2f};
  SphericalPoint q = vector_to_spherical(spherical_to_vector(p));
  EXPECT_NEAR(p.colatitude, q.colatitude, 1e-6f);
  EXPECT_NEAR(p.longitude, q.longitude, 1e-6f);
  // Longitude from atan2 stays in (-pi, pi] and is not reduced.
  EXPECT_LT(q.longitude, 0.0f);
  Orientation o = spherical_to_orientation(SphericalPoint{2.0f, 3.0f});
  EXPECT_EQ(PI_HALF - 3.0f, o.azimuth);  // negative, left unreduced
  EXPECT_EQ(2.0f - PI_HALF, o.plunge);
}

TEST(OrientationTest, ReverseAxis) {
  Orientation a = reverse_axis(make_orientation(0.0f, 0.5f));
  EXPECT_NEAR(PI, a.azimuth, 1e-6f);
  EXPECT_EQ(-0.5f, a.plunge);
  Orientation b = reverse_axis(make_orientation(3.0f * PI_HALF, -0.2f));
  EXPECT_NEAR(PI_HALF, b.azimuth, 2e-6f);
  EXPECT_EQ(0.2f, b.plunge);
  // The sum is rounded before the remainder: the exact float steps.
  float sum = 1.0f + PI + FOUR_PI;
  EXPECT_EQ(std::fmod(sum, TWO_PI), reverse_axis(make_orientation(1.0f, 0.0f)).azimuth);
}

TEST(OrientationTest, AmodKeepsTheSignOfTheDividend) {
  EXPECT_EQ(1.0f, amod(7.0f, 3.0f));
  EXPECT_EQ(-1.0f, amod(-7.0f, 3.0f));
  EXPECT_EQ(0.5f, amod(6.5f, 2.0f));
}

TEST(OrientationTest, NormalizeThreshold) {
  Vec3 tiny = normalize(Vec3{std::ldexp(1.0f, -23), 0.0f, 0.0f});
  EXPECT_EQ(0.0f, tiny.x);
  EXPECT_EQ(0.0f, tiny.y);
  EXPECT_EQ(0.0f, tiny.z);
  Vec3 edge = normalize(Vec3{0.0f, std::ldexp(1.0f, -22), 0.0f});
  EXPECT_EQ(0.0f, edge.x);
  EXPECT_EQ(1.0f, edge.y);
  expect_vec({0.6f, 0.0f, -0.8f}, normalize(Vec3{3.0f, 0.0f, -4.0f}));
}

TEST(OrientationTest, CrossProductIsRightHanded) {
  Vec3 up = cross_product(Vec3{1, 0, 0}, Vec3{0, 1, 0});
  EXPECT_EQ(0.0f, up.x);
  EXPECT_EQ(0.0f, up.y);
  EXPECT_EQ(1.0f, up.z);
  Vec3 w = cross_product(Vec3{1, 2, 3}, Vec3{4, 5, 6});
  EXPECT_EQ(-3.0f, w.x);
  EXPECT_EQ(6.0f, w.y);
  EXPECT_EQ(-3.0f, w.z);
}

TEST(OrientationTest, EulerMatrixSpecialCases) {
  Matrix3 identity = euler_rotation_matrix(0.0f, 0.0f, 0.0f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(i == j ? 1.0f : 0.0f, identity.m[i][j]);
  Matrix3 down = euler_rotation_matrix(PI, 0.0f, 0.0f);
  const float diag[3] = {1.0f, -1.0f, -1.0f};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(i == j ? diag[i] : 0.0f, down.m[i][j], TOL);
}

TEST(OrientationTest, EulerMatrixRowsAreAxesOfTheTurnedFrame) {
  float theta = 2.2f, phi = -0.7f;
  Matrix3 r = euler_rotation_matrix(theta, phi, 0.0f);
  // psi = 0: sigma1 is the horizontal line at longitude phi.
  EXPECT_NEAR(std::cos(phi), r.m[0][0], TOL);
  EXPECT_NEAR(std::sin(phi), r.m[0][1], TOL);
  EXPECT_EQ(0.0f, r.m[0][2]);
  // Row 3 lies at colatitude theta, longitude phi - pi/2.
  SphericalPoint p = vector_to_spherical(Vec3{r.m[2][0], r.m[2][1], r.m[2][2]});
  EXPECT_NEAR(theta, p.colatitude, 1e-6f);
  EXPECT_NEAR(phi - PI_HALF, p.longitude, 1e-6f);
  // Orthonormal and right-handed for a general turn.
  Matrix3 g = euler_rotation_matrix(1.9f, 4.1f, 1.2f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      float dot = 0.0f;
      for (int k = 0; k < 3; ++k) dot += g.m[i][k] * g.m[j][k];
      EXPECT_NEAR(i == j ? 1.0f : 0.0f, dot, 5e-7f);
    }
  Vec3 third = cross_product(Vec3{g.m[0][0], g.m[0][1], g.m[0][2]},
                             Vec3{g.m[1][0], g.m[1][1], g.m[1][2]});
  expect_vec({g.m[2][0], g.m[2][1], g.m[2][2]}, third, 5e-7f);
}

}  // namespace
