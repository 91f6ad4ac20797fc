#include "geometry/vectors.h"

#include "math/double_functions.h"

// Below this vertical part a line is horizontal.
static const double HORIZONTAL_Z = 1e-12;

Vec3d unit_vector(Vec3d v) {
  double length = std::sqrt(dot(v, v));
  if (length == 0.0) return Vec3d{0.0, 0.0, 0.0};
  return Vec3d{v.x / length, v.y / length, v.z / length};
}

Vec3d unit_vector(Vec3 v) { return unit_vector(Vec3d{v.x, v.y, v.z}); }

Vec3d turned(Vec3d v, Vec3d k, double degrees) {
  double c = cos_d(degrees * DEGREE), s = sin_d(degrees * DEGREE);
  double along = dot(k, v) * (1.0 - c);
  Vec3d kv = cross(k, v);
  return Vec3d{v.x * c + kv.x * s + k.x * along, v.y * c + kv.y * s + k.y * along,
               v.z * c + kv.z * s + k.z * along};
}

Vec3d axis_vector(double trend, double plunge) {
  double t = trend * DEGREE, p = plunge * DEGREE;
  return Vec3d{cos_d(p) * sin_d(t), cos_d(p) * cos_d(t), -sin_d(p)};
}

double wrap_azimuth(double azimuth) {
  double a = std::fmod(azimuth, 360.0);
  return a < 0 ? a + 360.0 : a;
}

TrendPlunge downward_trend_plunge(Vec3d line) {
  Vec3d down = line.z > HORIZONTAL_Z ? Vec3d{-line.x, -line.y, -line.z} : line;
  double horizontal = std::sqrt(down.x * down.x + down.y * down.y);
  TrendPlunge axis;
  axis.plunge = std::fabs(down.z) > HORIZONTAL_Z ? atan2_d(-down.z, horizontal) / DEGREE : 0.0;
  axis.trend = horizontal > 0 ? wrap_azimuth(atan2_d(down.x, down.y) / DEGREE) : 0.0;
  return axis;
}
