// The principal axes and Phi of a stress state as every file, line,
// report and picture gives them: each axis by its downward end, azimuth
// and plunge in whole degrees, sigma2 completing the right-handed frame of
// sigma1 and sigma3; Phi in tenths.
#ifndef SORVEL_GRID_STATE_AXES_H_
#define SORVEL_GRID_STATE_AXES_H_

#include "common/types.h"

struct GridPointAxes {
  Orientation sigma1;  // azimuth in [0, 2 pi), plunge in [-pi/2, pi/2]
  Orientation sigma3;
};

/// The sigma1 and sigma3 axes of a GridPoint (rows 1 and 3 of its Euler
/// matrix), not yet turned downward.
GridPointAxes axes_of_gridpoint(const GridPoint& point);

/// The axis turned to its downward end when its plunge is negative.
Orientation downward_axis(Orientation axis);

/// Whole degrees of an angle in radians, halves away from zero.
long whole_degrees(float radians);

/// An axis by its downward end in whole degrees.
struct WholeDegreeAxis {
  int azimuth;  // 0 to 360
  int plunge;   // 0 to 90
  bool operator==(const WholeDegreeAxis&) const = default;
};

/// The three principal axes of a state as the results and the summary
/// lines give them.
struct StateAxes {
  WholeDegreeAxis sigma1;
  WholeDegreeAxis sigma2;  // sigma3 x sigma1, its downward end
  WholeDegreeAxis sigma3;
};

StateAxes state_axes(const GridPoint& point);

/// An orientation by its downward end in whole degrees.
WholeDegreeAxis whole_degree_axis(Orientation axis);

/// Phi in tenths as every file and line gives it: ten times the ratio in
/// single precision, halves away from zero.
long phi_tenths(float stress_ratio);

/// Phi of a GridPoint at the tenth that its files and lines give.
double grid_phi(const GridPoint& point);

#endif  // SORVEL_GRID_STATE_AXES_H_
