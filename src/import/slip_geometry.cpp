#include "import/slip_geometry.h"
#include "math/double_functions.h"

#include <cmath>

// A letter square to a line within this cosine names neither of its ends.
static const double SQUARE_COSINE = 1e-9;

static Vec3d combined(double p, Vec3d a, double q, Vec3d b) {
  return {p * a.x + q * b.x, p * a.y + q * b.y, p * a.z + q * b.z};
}

bool side_of_letter(double azimuth, double letter_azimuth, double& chosen) {
  double c = cos_d((azimuth - letter_azimuth) * DEGREE);
  if (std::fabs(c) < SQUARE_COSINE) return false;
  chosen = wrap_azimuth(c > 0 ? azimuth : azimuth + 180.0);
  return true;
}

Vec3d plane_pole(double dip_direction, double dip) {
  return axis_vector(dip_direction + 180.0, 90.0 - dip);
}

static Vec3d strike_axis(double dip_direction) { return axis_vector(dip_direction - 90.0, 0.0); }

static Vec3d dip_axis(double dip_direction, double dip) { return axis_vector(dip_direction, dip); }

Vec3d motion_of_rake(double dip_direction, double dip, double rake) {
  double r = rake * DEGREE;
  return combined(cos_d(r), strike_axis(dip_direction), -sin_d(r),
                  dip_axis(dip_direction, dip));
}

Vec3d line_of_pitch(double dip_direction, double dip, double end_azimuth, double pitch) {
  double p = pitch * DEGREE;
  return combined(cos_d(p), axis_vector(end_azimuth, 0.0), sin_d(p),
                  dip_axis(dip_direction, dip));
}

Vec3d line_of_trend_in_plane(double dip_direction, double dip, double trend) {
  // The plunge of a line of the plane is atan(tan dip cos(trend - dip
  // direction)); a negative one means the trend names the upward end.
  double d = dip * DEGREE, c = cos_d((trend - dip_direction) * DEGREE);
  double plunge = atan2_d(sin_d(d) * c, cos_d(d)) / DEGREE;
  return axis_vector(trend, plunge);
}

double angle_to_plane(Vec3d line, Vec3d pole) {
  return asin_d(std::fmin(1.0, std::fabs(dot(unit_vector(line), pole)))) / DEGREE;
}

Vec3d projected_onto_plane(Vec3d line, Vec3d pole) {
  return unit_vector(combined(1.0, line, -dot(line, pole), pole));
}

MotionParts parts_of_motion(Vec3d motion, double dip_direction, double dip) {
  return {dot(motion, strike_axis(dip_direction)), dot(motion, dip_axis(dip_direction, dip))};
}

char sense_of_motion(MotionParts parts) {
  if (std::fabs(parts.down_dip) >= std::fabs(parts.along_strike))
    return parts.down_dip > 0 ? 'N' : 'R';
  return parts.along_strike > 0 ? 'S' : 'D';
}
