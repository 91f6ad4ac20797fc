// Vectors and axes of the geographic frame (x east, y north, z up;
// azimuths and trends clockwise from north, plunges positive downward):
// the one float vector of the stages that write the results files, the one
// double vector of the reports, pictures and importer, and the one
// conversion between an axis's trend and plunge and its unit vector.
#ifndef SORVEL_GEOMETRY_VECTORS_H_
#define SORVEL_GEOMETRY_VECTORS_H_

#include <cmath>

/// A vector of the geographic frame in single precision.
struct Vec3 {
  float x;
  float y;
  float z;
};

/// A vector of the geographic frame in double precision.
struct Vec3d {
  double x;
  double y;
  double z;
};

/// Radians in a degree, in double precision. (The single-precision value
/// that the results files were defined with is DEG_TO_RAD.)
inline constexpr double DEGREE = M_PI / 180.0;

/// An angle in degrees as pi times it over 180: rounded as the pictures'
/// ticks, the axial means of the reports and the importer's tolerance were
/// defined with, which is not degrees * DEGREE in the last bit for about a
/// quarter of all angles.
inline double pi_times_over_180(double degrees) { return degrees * M_PI / 180.0; }

/// An angle in radians as 180 times it over pi, the inverse of the above.
inline double times_180_over_pi(double radians) { return radians * 180.0 / M_PI; }

inline double dot(Vec3d a, Vec3d b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3d cross(Vec3d a, Vec3d b) {
  return Vec3d{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

/// The vector scaled to unit length; the zero vector stays zero.
Vec3d unit_vector(Vec3d v);

/// A float vector in double precision at unit length; zero stays zero.
Vec3d unit_vector(Vec3 v);

/// v turned by `degrees` about the unit axis k, anticlockwise seen from
/// the tip of k (Rodrigues' formula).
Vec3d turned(Vec3d v, Vec3d k, double degrees);

/// The unit vector of the axis of trend and plunge in degrees (its lower
/// end for a positive plunge).
Vec3d axis_vector(double trend, double plunge);

/// An axis as trend, 0 to under 360, and plunge, 0 to 90, in degrees.
struct TrendPlunge {
  double trend;
  double plunge;
};

/// Trend and plunge of the downward end of a line; a line whose vertical
/// part is below 1e-12 is horizontal, so that the rounding of sin 180 does
/// not turn it end for end.
TrendPlunge downward_trend_plunge(Vec3d line);

/// Azimuth brought into [0, 360).
double wrap_azimuth(double azimuth);

#endif  // SORVEL_GEOMETRY_VECTORS_H_
