#include "grid/state_axes.h"

#include "common/constants.h"
#include "common/number_format.h"
#include "grid/orientation.h"

GridPointAxes axes_of_gridpoint(const GridPoint& point) {
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  GridPointAxes axes;
  axes.sigma1 = vector_to_trend_plunge(Vec3{r.m[0][0], r.m[0][1], r.m[0][2]});
  axes.sigma3 = vector_to_trend_plunge(Vec3{r.m[2][0], r.m[2][1], r.m[2][2]});
  return axes;
}

Orientation downward_axis(Orientation axis) {
  return axis.plunge < 0.0f ? reverse_axis(axis) : axis;
}

long whole_degrees(float radians) { return round_half_away(radians / DEG_TO_RAD); }

WholeDegreeAxis whole_degree_axis(Orientation axis) {
  Orientation down = downward_axis(axis);
  return WholeDegreeAxis{static_cast<int>(whole_degrees(down.azimuth)),
                         static_cast<int>(whole_degrees(down.plunge))};
}

long phi_tenths(float stress_ratio) { return round_half_away(10.0f * stress_ratio); }

double grid_phi(const GridPoint& point) {
  return static_cast<double>(phi_tenths(point.stress_ratio)) / 10.0;
}

StateAxes state_axes(const GridPoint& point) {
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  Vec3 sigma1 = {r.m[0][0], r.m[0][1], r.m[0][2]};
  Vec3 sigma3 = {r.m[2][0], r.m[2][1], r.m[2][2]};
  StateAxes axes;
  axes.sigma1 = whole_degree_axis(vector_to_trend_plunge(sigma1));
  axes.sigma2 = whole_degree_axis(vector_to_trend_plunge(cross_product(sigma3, sigma1)));
  axes.sigma3 = whole_degree_axis(vector_to_trend_plunge(sigma3));
  return axes;
}
