#include "stress/stress_quantities.h"

#include <cmath>

#include "grid/orientation.h"
#include "grid/state_axes.h"
#include "math/double_functions.h"

namespace {

// Below this size of the horizontal deviatoric stress no horizontal
// direction is greatest (an axisymmetric state about a vertical axis).
const double LEAST_HORIZONTAL_DIFFERENCE = 1e-3;

}  // namespace

PrincipalAxes principal_axes(const GridPoint& point) {
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  Vec3 sigma1 = {r.m[0][0], r.m[0][1], r.m[0][2]};
  Vec3 sigma3 = {r.m[2][0], r.m[2][1], r.m[2][2]};
  return PrincipalAxes{unit_vector(sigma1),
                       unit_vector(cross_product(sigma3, sigma1)),
                       unit_vector(sigma3)};
}

// sigma2 = sigma3 x sigma1, so sigma1 x sigma2 is sigma3 itself.
ContinuousState continuous_state(const GridPoint& point) {
  return ContinuousState{principal_axes(point), grid_phi(point)};
}

double axis_plunge(Vec3d axis) {
  double up = std::fabs(axis.z);
  return asin_d(up > 1.0 ? 1.0 : up) / DEGREE;
}

double axis_angle(Vec3d a, Vec3d b) {
  double c = std::fabs(dot(a, b));
  return acos_d(c > 1.0 ? 1.0 : c) / DEGREE;
}

const char* regime_code(StressRegime regime) {
  switch (regime) {
    case StressRegime::NF: return "NF";
    case StressRegime::NS: return "NS";
    case StressRegime::SS: return "SS";
    case StressRegime::TS: return "TS";
    case StressRegime::TF: return "TF";
    case StressRegime::U: break;
  }
  return "U";
}

StressRegime stress_regime(double p1, double p2, double p3) {
  if (p1 >= 52 && p3 <= 35) return StressRegime::NF;
  if (p1 >= 40 && p1 < 52 && p3 <= 20) return StressRegime::NS;
  if ((p1 < 40 && p2 >= 45 && p3 <= 20) || (p1 <= 20 && p2 >= 45 && p3 < 40))
    return StressRegime::SS;
  if (p1 <= 20 && p3 >= 40 && p3 < 52) return StressRegime::TS;
  if (p1 <= 35 && p3 >= 52) return StressRegime::TF;
  return StressRegime::U;
}

// The horizontal part of the reduced stress sigma1 s1 s1' + phi s2 s2'
// (sigma3 = 0 adds nothing) is a 2 x 2 tensor; X and Y are its
// north-north minus east-east difference and twice its north-east term,
// so that its greatest direction lies at half the angle atan2(Y, X) east
// of north.
std::optional<double> shmax_azimuth(Vec3d s1, Vec3d s2, double phi) {
  double x = s1.y * s1.y - s1.x * s1.x + phi * (s2.y * s2.y - s2.x * s2.x);
  double y = 2.0 * (s1.y * s1.x + phi * s2.y * s2.x);
  if (std::sqrt(x * x + y * y) < LEAST_HORIZONTAL_DIFFERENCE) return std::nullopt;
  double azimuth = 0.5 * atan2_d(y, x) / DEGREE;
  if (azimuth < 0.0) azimuth += 180.0;
  return azimuth >= 180.0 ? azimuth - 180.0 : azimuth;
}

double r_prime(const PrincipalAxes& axes, double phi) {
  double p1 = axis_plunge(axes.sigma1), p2 = axis_plunge(axes.sigma2), p3 = axis_plunge(axes.sigma3);
  if (p3 > p1 && p3 > p2) return 2.0 + phi;
  if (p2 > p1) return 2.0 - phi;
  return phi;
}

StressQuantities stress_quantities(const PrincipalAxes& axes, double phi) {
  StressRegime regime = stress_regime(axis_plunge(axes.sigma1), axis_plunge(axes.sigma2),
                                      axis_plunge(axes.sigma3));
  return StressQuantities{regime, shmax_azimuth(axes.sigma1, axes.sigma2, phi),
                          r_prime(axes, phi)};
}

MohrPoint mohr_point(const PrincipalAxes& axes, double phi, Vec3d n) {
  double a = dot(n, axes.sigma1), b = dot(n, axes.sigma2);
  // The traction is a e1 + phi b e2: its part along n is the normal
  // stress, the rest the shear.
  double normal = a * a + phi * b * b;
  double traction = a * a + phi * phi * b * b;
  double shear_squared = traction - normal * normal;
  return MohrPoint{normal, shear_squared > 0.0 ? std::sqrt(shear_squared) : 0.0};
}
