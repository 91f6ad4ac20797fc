// The CDM results file: one line per stress state in ascending fitness,
// sigma1 and sigma3 axes in whole degrees, Phi in tenths, fitness.
#ifndef SORVEL_ANALYSES_CDM_CDM_RESULTS_H_
#define SORVEL_ANALYSES_CDM_CDM_RESULTS_H_

#include <string>

#include "common/types.h"

struct GridPointAxes {
  Orientation sigma1;  // azimuth in [0, 2 pi), plunge in [-pi/2, pi/2]
  Orientation sigma3;
};

/// The sigma1 and sigma3 axes of the GridPoint at position k (1-based),
/// not yet turned downward.
GridPointAxes axes_of_gridpoint(int32_t k);

/// The axis turned to its downward end when its plunge is negative.
Orientation downward_axis(Orientation axis);

/// Whole degrees of an angle in radians, halves away from zero.
long whole_degrees(float radians);

/// The 24-character line of the GridPoint at position k, without line end.
std::string CDM_results_line(int32_t k);

/// Writes the results file; a failure ends the run through ErrorReporter.
void CDM_save_results();

#endif  // SORVEL_ANALYSES_CDM_CDM_RESULTS_H_
