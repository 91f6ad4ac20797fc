// Reduced stress tensors over the whole grid: symmetry, trace and the
// principal axes as eigenvectors, to single-precision rounding.
#include "grid/stress_tensors.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/constants.h"
#include "grid/orientation.h"
#include "support/grid_fixture.h"

namespace {

// A few roundings of products of unit-sized values.
const float TOL = 1e-6f;

float s(const GridPoint& g, int i, int j) { return g.stress_tensor[j * 3 + i]; }

class StressTensorTest : public ::testing::Test {
 protected:
  const GridPoints& gss = generated_grid().points;
};

TEST_F(StressTensorTest, SymmetricWithTraceOnePlusPhi) {
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    const GridPoint& g = gss[k];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < i; ++j) ASSERT_NEAR(s(g, i, j), s(g, j, i), TOL) << k;
    ASSERT_NEAR(1.0f + g.stress_ratio, s(g, 0, 0) + s(g, 1, 1) + s(g, 2, 2), 2 * TOL) << k;
  }
}

TEST_F(StressTensorTest, PrincipalAxesAreEigenvectors) {
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    const GridPoint& g = gss[k];
    Matrix3 r = euler_rotation_matrix(g.euler_theta, g.euler_phi, g.euler_psi);
    for (int i = 0; i < 3; ++i) {
      float on_sigma1 = 0.0f, on_sigma2 = 0.0f, on_sigma3 = 0.0f;
      for (int j = 0; j < 3; ++j) {
        on_sigma1 += s(g, i, j) * r.m[0][j];
        on_sigma2 += s(g, i, j) * r.m[1][j];
        on_sigma3 += s(g, i, j) * r.m[2][j];
      }
      ASSERT_NEAR(r.m[0][i], on_sigma1, TOL) << k;
      ASSERT_NEAR(g.stress_ratio * r.m[1][i], on_sigma2, TOL) << k;
      ASSERT_NEAR(0.0f, on_sigma3, TOL) << k;
    }
  }
}

TEST_F(StressTensorTest, UniaxialAndBiaxialEnds) {
  // Phi = 0: S = e1 e1^T; Phi = 1: S = I - e3 e3^T.
  for (int32_t k : {0, 10, 1234 * 11, 1234 * 11 + 10, GSS_SIZE - 1}) {
    const GridPoint& g = gss[k];
    Matrix3 r = euler_rotation_matrix(g.euler_theta, g.euler_phi, g.euler_psi);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        float expected = g.stress_ratio == 0.0f
                             ? r.m[0][i] * r.m[0][j]
                             : (i == j ? 1.0f : 0.0f) - r.m[2][i] * r.m[2][j];
        EXPECT_NEAR(expected, s(g, i, j), TOL) << k;
      }
  }
}

TEST_F(StressTensorTest, FirstGridPointHasAHorizontalSigmaOne) {
  const GridPoint& g = gss[0];
  EXPECT_EQ(0.0f, s(g, 0, 2));
  EXPECT_EQ(0.0f, s(g, 1, 2));
  EXPECT_EQ(0.0f, s(g, 2, 2));
  EXPECT_NEAR(1.0f, s(g, 0, 0) + s(g, 1, 1), TOL);
}

TEST_F(StressTensorTest, TensorFollowsTheRecordNotItsPosition) {
  Gss swapped = generated_grid();
  std::swap(swapped.points[0], swapped.points[40000]);
  compute_stress_tensors(swapped);
  for (int n = 0; n < 9; ++n) {
    EXPECT_EQ(gss[40000].stress_tensor[n], swapped.points[0].stress_tensor[n]);
    EXPECT_EQ(gss[0].stress_tensor[n], swapped.points[40000].stress_tensor[n]);
  }
}

// The fast tensors leave out the products by D's ones and zeros and take
// recurring sines once: every bit, signs of zeros included, must be the
// reference's, on every point of the grid and on one whose runs are cut
// and whose angles recur out of order.
TEST_F(StressTensorTest, FastTensorsAreTheReferenceToTheBit) {
  Gss fast = generated_grid();
  std::swap(fast.points[5], fast.points[50000]);
  std::swap(fast.points[7], fast.points[30001]);
  fast.points[9].stress_ratio = -0.0f;
  fast.points[20].euler_psi = -0.0f;
  Gss reference = fast;
  for (GridPoint& p : fast.points) std::memset(p.stress_tensor, 0x55, sizeof p.stress_tensor);
  compute_stress_tensors(fast);
  compute_stress_tensors_reference(reference);
  for (int32_t k = 0; k < GSS_SIZE; ++k)
    ASSERT_EQ(0, std::memcmp(fast.points[k].stress_tensor, reference.points[k].stress_tensor,
                             sizeof fast.points[k].stress_tensor)) << k;
}

}  // namespace
