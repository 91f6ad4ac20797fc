// The axes and stress ratio of every stress state of a grid as the results
// files give them, in whole degrees and tenths. The grid gives each
// orientation to a run of stress ratios, so the axes (two arccosines and
// two arctangents each, on top of the rotation) are worked out once per
// run: the same arithmetic on the same values gives the same numbers. For
// the runs of the grid the programs generate, the build has worked them
// out already (grid/built_in_tables.h).
#ifndef SORVEL_GRID_GRID_LABELS_H_
#define SORVEL_GRID_GRID_LABELS_H_

#include <cstdint>
#include <vector>

#include "common/tables.h"

/// The sigma1 and sigma3 axes of a run, each by its downward end.
struct RunAxes {
  int32_t sigma1_azimuth, sigma1_plunge, sigma3_azimuth, sigma3_plunge;
};

/// A point's run and its Phi in tenths (halves away from zero).
struct PointLabel {
  uint16_t run;
  int16_t phi_tenths;
};

struct GridLabels {
  std::vector<RunAxes> runs;
  std::vector<PointLabel> points;  // in grid order
  bool complete;  // false when a run number, an angle or a Phi did not fit its label
};

/// The labels of every point of `gss`, for each point the numbers that
/// axes_of_gridpoint, downward_axis, whole_degrees and round_half_away
/// give.
GridLabels label_grid(const Gss& gss);

#endif  // SORVEL_GRID_GRID_LABELS_H_
