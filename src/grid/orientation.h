// Conversions between angle pairs and unit vectors of the east-north-up
// frame, and the few vector operations the whole program shares. Every
// step is single precision, in the order written, so that all callers
// agree to the last bit.
#ifndef SORVEL_GRID_ORIENTATION_H_
#define SORVEL_GRID_ORIENTATION_H_

#include "common/types.h"

Orientation make_orientation(float a, float b);
Vec3 orientation_to_vector(Orientation o);
Vec3 spherical_to_vector(SphericalPoint p);
SphericalPoint vector_to_spherical(Vec3 v);
Orientation spherical_to_orientation(SphericalPoint p);
/// Azimuth in [0, 2 pi); plunge negative for an upward vector.
Orientation vector_to_trend_plunge(Vec3 v);
Orientation reverse_axis(Orientation o);
/// Unit vector, or the zero vector when shorter than ZERO_LENGTH.
Vec3 normalize(Vec3 v);
Vec3 cross_product(Vec3 a, Vec3 b);
/// z-x-z Euler matrix Rz(psi) Rx(theta) Rz(phi); for a GridPoint its rows
/// are the sigma1, sigma2 and sigma3 axes.
Matrix3 euler_rotation_matrix(float theta, float phi, float psi);

/// The cosines and sines of the three Euler angles.
struct EulerTrig {
  float ct, st;  // theta
  float cf, sf;  // phi
  float cp, sp;  // psi
};
EulerTrig euler_trig(float theta, float phi, float psi);

/// The Euler matrix from the sines and cosines of its angles: the same
/// values, hence the same matrix, as euler_rotation_matrix.
Matrix3 rotation_of_trig(const EulerTrig& t);

/// x - y * trunc(x / y), exactly.
float amod(float x, float y);

#endif  // SORVEL_GRID_ORIENTATION_H_
