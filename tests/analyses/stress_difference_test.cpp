// The stress difference of two states: identities and hand-checked
// angles.
#include <gtest/gtest.h>

#include <cmath>

#include "support/grid_fixture.h"
#include "grid/stress_tensors.h"
#include "analyses/populations/stress_difference.h"

namespace {

// The tensor sum of l1 e1 e1^T + l2 e2 e2^T + l3 e3 e3^T, column by column,
// for axes along x, y and z in any order.
struct Tensor {
  float s[9];
};
Tensor principal(int axis1, int axis2, int axis3, float l1, float l2, float l3) {
  Tensor t = {};
  t.s[axis1 * 4] = l1;
  t.s[axis2 * 4] = l2;
  t.s[axis3 * 4] = l3;
  return t;
}

class StressDifferenceTest : public ::testing::Test {
 protected:
  const Gss& gss = generated_grid();
};

TEST_F(StressDifferenceTest, ZeroForItselfSymmetricAndLargeForSwappedAxes) {
  for (int32_t a : {1, 6, 777, 30000, 59400}) {
    EXPECT_NEAR(gridpoint_stress_difference(gss, a, a), 0.0, 0.05) << a;
    for (int32_t b : {2, 12, 4321, 59399})
      EXPECT_EQ(gridpoint_stress_difference(gss, a, b), gridpoint_stress_difference(gss, b, a)) << a << " " << b;
  }
  // sigma1 east, sigma3 up, and the same with the two swapped: for Phi 0.5
  // the deviators are opposite, for Phi 0.3 they are still far apart
  // (154 degrees by hand).
  Tensor a = principal(0, 1, 2, 1.0f, 0.5f, 0.0f), b = principal(2, 1, 0, 1.0f, 0.5f, 0.0f);
  EXPECT_NEAR(deviator_angle(unit_deviator(a.s), unit_deviator(b.s)), 180.0, 1e-3);  // acos is steep near -1
  a = principal(0, 1, 2, 1.0f, 0.3f, 0.0f), b = principal(2, 1, 0, 1.0f, 0.3f, 0.0f);
  EXPECT_NEAR(deviator_angle(unit_deviator(a.s), unit_deviator(b.s)), 153.99, 0.01);
}

// GridPoints 1 and 11 share their axes with Phi 0 and 1: the deviators
// (2, -1, -1) / 3 and (1, 1, -2) / 3 meet at 60 degrees. GridPoints 6 and
// 17 (Phi 0.5) differ by the 10-degree turn of sigma1 about sigma3, which
// gives acos((1 + cos^2 10) / 2) = 9.962 degrees.
TEST_F(StressDifferenceTest, HandCheckedAngles) {
  EXPECT_NEAR(gridpoint_stress_difference(gss, 1, 11), 60.0, 1e-3);
  EXPECT_NEAR(gridpoint_stress_difference(gss, 6, 17), 9.962, 1e-3);
  // A turn of t about sigma2 at Phi 0.5 gives 2t: sigma1 and sigma3 in
  // the x-z plane turned by 30 degrees.
  double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  Tensor turned = {{float(c * c), 0, float(c * s), 0, 0.5f, 0, float(c * s), 0, float(s * s)}};
  Tensor plain = principal(0, 1, 2, 1.0f, 0.5f, 0.0f);
  EXPECT_NEAR(deviator_angle(unit_deviator(plain.s), unit_deviator(turned.s)), 60.0, 1e-4);
}

}  // namespace
