// Angle pairs and unit vectors of the east-north-up frame. Every
// expression is evaluated as written, one single-precision rounding per
// operation, because the results files list whole degrees derived from
// these values and a different rounding would move some of them.
#include "grid/orientation.h"

#include <cmath>

#include "common/constants.h"
#include "math/float_functions.h"

float amod(float x, float y) { return std::fmod(x, y); }

Orientation make_orientation(float a, float b) { return Orientation{a, b}; }

Vec3 orientation_to_vector(Orientation o) {
  float colatitude = o.plunge + PI_HALF;
  float longitude = PI_HALF - o.azimuth;
  return spherical_to_vector(SphericalPoint{colatitude, longitude});
}

Vec3 spherical_to_vector(SphericalPoint p) {
  float sin_theta = sin_cr(p.colatitude);
  return Vec3{sin_theta * cos_cr(p.longitude), sin_theta * sin_cr(p.longitude),
              cos_cr(p.colatitude)};
}

SphericalPoint vector_to_spherical(Vec3 v) {
  Vec3 u = normalize(v);
  float z = u.z;
  // Round-off can carry a unit vector's component just past 1.
  if (z > 1.0f) z = 1.0f;
  if (z < -1.0f) z = -1.0f;
  return SphericalPoint{acos_cr(z), atan2_cr(u.y, u.x)};
}

Orientation spherical_to_orientation(SphericalPoint p) {
  return Orientation{PI_HALF - p.longitude, p.colatitude - PI_HALF};
}

Orientation vector_to_trend_plunge(Vec3 v) {
  Orientation o = spherical_to_orientation(vector_to_spherical(v));
  // Adding 4 pi first keeps the remainder non-negative.
  o.azimuth = amod(o.azimuth + FOUR_PI, TWO_PI);
  return o;
}

Orientation reverse_axis(Orientation o) {
  float turned = o.azimuth + PI + FOUR_PI;
  return Orientation{amod(turned, TWO_PI), -o.plunge};
}

Vec3 normalize(Vec3 v) {
  float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length < ZERO_LENGTH) return Vec3{0.0f, 0.0f, 0.0f};
  return Vec3{v.x / length, v.y / length, v.z / length};
}

Vec3 cross_product(Vec3 a, Vec3 b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

EulerTrig euler_trig(float theta, float phi, float psi) {
  return EulerTrig{cos_cr(theta), sin_cr(theta), cos_cr(phi), sin_cr(phi), cos_cr(psi), sin_cr(psi)};
}

Matrix3 rotation_of_trig(const EulerTrig& t) {
  const float ct = t.ct, st = t.st, cf = t.cf, sf = t.sf, cp = t.cp, sp = t.sp;
  Matrix3 r;
  r.m[0][0] = cp * cf - sp * ct * sf;
  r.m[0][1] = cp * sf + sp * ct * cf;
  r.m[0][2] = sp * st;
  r.m[1][0] = -(sp * cf + cp * ct * sf);
  r.m[1][1] = cp * ct * cf - sp * sf;
  r.m[1][2] = cp * st;
  r.m[2][0] = st * sf;
  r.m[2][1] = -st * cf;
  r.m[2][2] = ct;
  return r;
}

Matrix3 euler_rotation_matrix(float theta, float phi, float psi) {
  return rotation_of_trig(euler_trig(theta, phi, psi));
}
