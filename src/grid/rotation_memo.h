// The rotation matrices of many stress states, with the sines and cosines
// of angles that recur taken once. The grid has 5,400 orientations but
// only 300 sigma3 directions, each turned by the same 18 angles: the
// correctly rounded sines and cosines of every orientation afresh cost
// more than all the rest of a small run's grid.
#ifndef SORVEL_GRID_ROTATION_MEMO_H_
#define SORVEL_GRID_ROTATION_MEMO_H_

#include <cstdint>
#include <vector>

#include "common/types.h"

/// The cosine and sine of one angle, known by its bits (so that -0 and +0
/// stay apart).
struct AngleTrig {
  uint32_t bits;
  float c, s;
};

/// What one pass over a grid has worked out: the last sigma3 direction's
/// trigonometry and that of the turns met so far.
struct RotationMemo {
  bool has_direction = false;
  uint32_t theta_bits = 0, phi_bits = 0;
  float ct = 0, st = 0, cf = 0, sf = 0;
  std::vector<AngleTrig> turns;
};

/// euler_rotation_matrix of the point's angles, to the bit.
Matrix3 memo_rotation(RotationMemo& memo, const GridPoint& point);

/// Whether two points share their three angles, hence their rotation.
inline bool same_angles(const GridPoint& a, const GridPoint& b) {
  return a.euler_theta == b.euler_theta && a.euler_phi == b.euler_phi &&
         a.euler_psi == b.euler_psi;
}

#endif  // SORVEL_GRID_ROTATION_MEMO_H_
