// The records that every stage reads: angle pairs of the east-north-up
// frame, the fault-slip datum and the stress state.
#ifndef SORVEL_COMMON_TYPES_H_
#define SORVEL_COMMON_TYPES_H_

#include <cstdint>

#include "geometry/vectors.h"

/// An axis or a plane: (azimuth clockwise from north, plunge positive
/// downward) in radians; a plane is (dip direction, dip).
struct Orientation {
  float azimuth;
  float plunge;
};

/// (colatitude from the upward axis, longitude anticlockwise from east),
/// in radians.
struct SphericalPoint {
  float colatitude;
  float longitude;
};

/// A 3 x 3 matrix, m[row][column], rows and columns 0 to 2.
struct Matrix3 {
  float m[3][3];
};

/// One fault-slip observation.
struct FaultDatum {
  float dip_direction;  // degrees, as read
  float dip_angle;      // degrees, as read
  float slip_azimuth;   // degrees, as read
  float slip_plunge;    // degrees, as read, positive downward
  char sense;           // one of "NRSDnrsd", as read
  Vec3 normal_vector;   // unit normal of the plane, pointing down for dips 0 to 90
  Vec3 slip_vector;     // unit slip of the hanging wall, turned by the sense
};

/// One candidate stress state of the grid.
struct GridPoint {
  float euler_theta;       // colatitude of the sigma3 axis, radians
  float euler_phi;         // longitude of the sigma3 spiral point, radians
  float euler_psi;         // turn of sigma1 about sigma3, radians
  float stress_ratio;      // Phi = (sigma2 - sigma3) / (sigma1 - sigma3)
  float stress_tensor[9];  // reduced tensor, column by column: S11 S21 S31 S12 ... S33
};

#endif  // SORVEL_COMMON_TYPES_H_
