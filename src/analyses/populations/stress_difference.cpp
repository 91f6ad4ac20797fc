#include "analyses/populations/stress_difference.h"
#include "geometry/vectors.h"
#include "math/double_functions.h"

#include <cmath>


UnitDeviator unit_deviator(const float* s) {
  double mean = (double(s[0]) + double(s[4]) + double(s[8])) / 3.0;
  UnitDeviator u = {{double(s[0]) - mean, double(s[4]) - mean, double(s[8]) - mean, double(s[3]),
                     double(s[6]), double(s[7])}};
  // The off-diagonal components stand twice in the full tensor.
  double square = u.d[0] * u.d[0] + u.d[1] * u.d[1] + u.d[2] * u.d[2] +
                  2.0 * (u.d[3] * u.d[3] + u.d[4] * u.d[4] + u.d[5] * u.d[5]);
  double length = std::sqrt(square);
  if (length > 0.0)
    for (double& c : u.d) c /= length;
  return u;
}

double deviator_angle(const UnitDeviator& a, const UnitDeviator& b) {
  double dot = a.d[0] * b.d[0] + a.d[1] * b.d[1] + a.d[2] * b.d[2] +
               2.0 * (a.d[3] * b.d[3] + a.d[4] * b.d[4] + a.d[5] * b.d[5]);
  dot = std::fmax(-1.0, std::fmin(1.0, dot));  // round-off past +-1
  return times_180_over_pi(acos_d(dot));
}

double gridpoint_stress_difference(const Gss& gss, int32_t a, int32_t b) {
  return deviator_angle(unit_deviator(gss.points[static_cast<std::size_t>(a - 1)].stress_tensor),
                        unit_deviator(gss.points[static_cast<std::size_t>(b - 1)].stress_tensor));
}
