#include "import/slip_geometry.h"

#include <cmath>

static const double RAD = M_PI / 180.0;

// A line whose vertical part is below this is horizontal: the rounding
// of sin 180 must not turn it end for end.
static const double HORIZONTAL_Z = 1e-12;

// A letter square to a line within this cosine names neither of its ends.
static const double SQUARE_COSINE = 1e-9;

static double dot(Axis3 a, Axis3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

static Axis3 combined(double p, Axis3 a, double q, Axis3 b) {
  return {p * a.x + q * b.x, p * a.y + q * b.y, p * a.z + q * b.z};
}

static Axis3 unit(Axis3 v) {
  double n = std::sqrt(dot(v, v));
  return {v.x / n, v.y / n, v.z / n};
}

double wrap_azimuth(double azimuth) {
  double a = std::fmod(azimuth, 360.0);
  return a < 0 ? a + 360.0 : a;
}

bool side_of_letter(double azimuth, double letter_azimuth, double& chosen) {
  double c = std::cos((azimuth - letter_azimuth) * RAD);
  if (std::fabs(c) < SQUARE_COSINE) return false;
  chosen = wrap_azimuth(c > 0 ? azimuth : azimuth + 180.0);
  return true;
}

Axis3 line_axis(double trend, double plunge) {
  double t = trend * RAD, p = plunge * RAD;
  return {std::cos(p) * std::sin(t), std::cos(p) * std::cos(t), -std::sin(p)};
}

Axis3 plane_pole(double dip_direction, double dip) {
  return line_axis(dip_direction + 180.0, 90.0 - dip);
}

static Axis3 strike_axis(double dip_direction) { return line_axis(dip_direction - 90.0, 0.0); }

static Axis3 dip_axis(double dip_direction, double dip) { return line_axis(dip_direction, dip); }

Axis3 motion_of_rake(double dip_direction, double dip, double rake) {
  double r = rake * RAD;
  return combined(std::cos(r), strike_axis(dip_direction), -std::sin(r),
                  dip_axis(dip_direction, dip));
}

Axis3 line_of_pitch(double dip_direction, double dip, double end_azimuth, double pitch) {
  double p = pitch * RAD;
  return combined(std::cos(p), line_axis(end_azimuth, 0.0), std::sin(p),
                  dip_axis(dip_direction, dip));
}

Axis3 line_of_trend_in_plane(double dip_direction, double dip, double trend) {
  // The plunge of a line of the plane is atan(tan dip cos(trend - dip
  // direction)); a negative one means the trend names the upward end.
  double d = dip * RAD, c = std::cos((trend - dip_direction) * RAD);
  double plunge = std::atan2(std::sin(d) * c, std::cos(d)) / RAD;
  return line_axis(trend, plunge);
}

void downward_trend_plunge(Axis3 line, double& trend, double& plunge) {
  Axis3 down = line.z > HORIZONTAL_Z ? Axis3{-line.x, -line.y, -line.z} : line;
  double horizontal = std::hypot(down.x, down.y);
  plunge = std::fabs(down.z) > HORIZONTAL_Z ? std::atan2(-down.z, horizontal) / RAD : 0.0;
  trend = horizontal > 0 ? wrap_azimuth(std::atan2(down.x, down.y) / RAD) : 0.0;
}

double angle_to_plane(Axis3 line, Axis3 pole) {
  return std::asin(std::fmin(1.0, std::fabs(dot(unit(line), pole)))) / RAD;
}

Axis3 projected_onto_plane(Axis3 line, Axis3 pole) {
  return unit(combined(1.0, line, -dot(line, pole), pole));
}

MotionParts parts_of_motion(Axis3 motion, double dip_direction, double dip) {
  return {dot(motion, strike_axis(dip_direction)), dot(motion, dip_axis(dip_direction, dip))};
}

char sense_of_motion(MotionParts parts) {
  if (std::fabs(parts.down_dip) >= std::fabs(parts.along_strike))
    return parts.down_dip > 0 ? 'N' : 'R';
  return parts.along_strike > 0 ? 'S' : 'D';
}
