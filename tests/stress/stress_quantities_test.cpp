// The quantities a stress map takes from a stress state: the published
// check values of SHmax, the regimes, SHmax and R' of Anderson's three
// states in every direction, the World Stress Map's class limits, and the
// Mohr diagram's law that every plane lies between the circles.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "stress/stress_quantities.h"

namespace {

// The difference of two axial azimuths, 0 to 90 degrees.
double azimuth_gap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 180.0);
  return d > 90.0 ? 180.0 - d : d;
}

TEST(StressQuantities, ShmaxGivesTheCheckValuesOfLundAndTownend) {
  Vec3d s1 = axis_vector(250.89, 70.07), s2 = axis_vector(9.91, 9.98);
  EXPECT_NEAR(*shmax_azimuth(s1, s2, 0.0), 70.89, 0.01);
  EXPECT_NEAR(*shmax_azimuth(s1, s2, 0.5), 16.47, 0.01);
  EXPECT_NEAR(*shmax_azimuth(s1, s2, 1.0), 13.01, 0.01);
  Vec3d t1 = axis_vector(30, 45), t2 = axis_vector(120, 0);
  EXPECT_NEAR(*shmax_azimuth(t1, t2, 0.2), 30.0, 1e-6);
  EXPECT_NEAR(*shmax_azimuth(t1, t2, 0.8), 120.0, 1e-6);
  EXPECT_FALSE(shmax_azimuth(t1, t2, 0.5).has_value());
}

// Anderson's states: normal faulting (sigma1 vertical) has SHmax along
// sigma2; thrust and strike-slip faulting have it along sigma1. R' runs
// from 0 to 1 in the first, 1 to 2 in the second (falling with Phi), 2
// to 3 in the third.
TEST(StressQuantities, AndersonsStatesInEveryDirection) {
  for (double trend = 0.0; trend < 360.0; trend += 7.5) {
    for (double phi : {0.1, 0.4, 0.9}) {
      PrincipalAxes normal{axis_vector(0, 90), axis_vector(trend, 0), axis_vector(trend + 90, 0)};
      StressQuantities q = stress_quantities(normal, phi);
      EXPECT_EQ(q.regime, StressRegime::NF);
      EXPECT_NEAR(azimuth_gap(*q.shmax, trend), 0.0, 1e-6) << trend;
      EXPECT_NEAR(q.r_prime, phi, 1e-12);

      PrincipalAxes wrench{axis_vector(trend, 0), axis_vector(0, 90), axis_vector(trend + 90, 0)};
      q = stress_quantities(wrench, phi);
      EXPECT_EQ(q.regime, StressRegime::SS);
      EXPECT_NEAR(azimuth_gap(*q.shmax, trend), 0.0, 1e-6) << trend;
      EXPECT_NEAR(q.r_prime, 2.0 - phi, 1e-12);

      PrincipalAxes thrust{axis_vector(trend, 0), axis_vector(trend + 90, 0), axis_vector(0, 90)};
      q = stress_quantities(thrust, phi);
      EXPECT_EQ(q.regime, StressRegime::TF);
      EXPECT_NEAR(azimuth_gap(*q.shmax, trend), 0.0, 1e-6) << trend;
      EXPECT_NEAR(q.r_prime, 2.0 + phi, 1e-12);
      EXPECT_GE(*q.shmax, 0.0);
      EXPECT_LT(*q.shmax, 180.0);
    }
    // Radial extension and radial compression have no greatest horizontal stress.
    PrincipalAxes normal{axis_vector(0, 90), axis_vector(trend, 0), axis_vector(trend + 90, 0)};
    EXPECT_FALSE(shmax_azimuth(normal.sigma1, normal.sigma2, 0.0).has_value());
    PrincipalAxes thrust{axis_vector(trend, 0), axis_vector(trend + 90, 0), axis_vector(0, 90)};
    EXPECT_FALSE(shmax_azimuth(thrust.sigma1, thrust.sigma2, 1.0).has_value());
  }
}

// The class limits of the World Stress Map (Zoback 1992), on both sides.
TEST(StressQuantities, RegimesChangeAtTheWorldStressMapLimits) {
  struct Case { double p1, p2, p3; StressRegime regime; };
  for (const Case& c : {Case{52, 38, 0, StressRegime::NF}, Case{51.9, 38, 0, StressRegime::NS},
                        Case{60, 20, 35, StressRegime::NF}, Case{60, 10, 35.1, StressRegime::U},
                        Case{40, 50, 0, StressRegime::NS}, Case{39.9, 50, 0, StressRegime::SS},
                        Case{45, 10, 20.1, StressRegime::U}, Case{20, 45, 39.9, StressRegime::SS},
                        Case{20, 44.9, 30, StressRegime::U}, Case{20, 30, 40, StressRegime::TS},
                        Case{20.1, 30, 45, StressRegime::U}, Case{20, 10, 51.9, StressRegime::TS},
                        Case{35, 10, 52, StressRegime::TF}, Case{35.1, 10, 55, StressRegime::U}})
    EXPECT_EQ(stress_regime(c.p1, c.p2, c.p3), c.regime) << c.p1 << " " << c.p2 << " " << c.p3;
}

// Every plane lies on or inside the circle of sigma1 and sigma3 and on or
// outside the two smaller circles; the planes normal to the axes lie at
// the principal stresses, with no shear.
TEST(StressQuantities, MohrPointsLieBetweenTheCircles) {
  std::mt19937 random(8);
  std::normal_distribution<double> g(0.0, 1.0);
  GridPoint point{};
  point.euler_theta = 2.1f;  // an oblique frame
  point.euler_phi = 0.7f;
  point.euler_psi = 1.3f;
  PrincipalAxes axes = principal_axes(point);
  for (double phi : {0.0, 0.3, 0.8, 1.0}) {
    for (int i = 0; i < 2000; ++i) {
      Vec3d n = unit_vector(Vec3d{g(random), g(random), g(random)});
      MohrPoint p = mohr_point(axes, phi, n);
      auto inside = [&](double a, double b) {
        double c = (a + b) / 2, r = (b - a) / 2;
        return (p.normal - c) * (p.normal - c) + p.shear * p.shear - r * r;
      };
      EXPECT_LE(inside(0.0, 1.0), 1e-9);
      EXPECT_GE(inside(0.0, phi), -1e-9);
      EXPECT_GE(inside(phi, 1.0), -1e-9);
    }
    for (const Vec3d* axis : {&axes.sigma1, &axes.sigma2, &axes.sigma3}) {
      MohrPoint p = mohr_point(axes, phi, *axis);
      EXPECT_NEAR(p.shear, 0.0, 1e-6);
    }
    EXPECT_NEAR(mohr_point(axes, phi, axes.sigma1).normal, 1.0, 1e-9);
    EXPECT_NEAR(mohr_point(axes, phi, axes.sigma2).normal, phi, 1e-9);
    EXPECT_NEAR(mohr_point(axes, phi, axes.sigma3).normal, 0.0, 1e-9);
  }
}

}  // namespace
