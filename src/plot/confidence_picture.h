// The CDM picture of a run with its report: the best stress state with
// the confidence of the bootstrap in place of the best 1 % (the resamples'
// sigma1 and sigma3 with their 95 % cones, a histogram of their Phi, SHmax
// on the primitive circle), and the Mohr diagram of the best state with
// each datum coloured by its misfit. `sorvel --picture` draws it from the
// run itself, sorvel-plot from the run's JSON report: the same picture.
#ifndef SORVEL_PLOT_CONFIDENCE_PICTURE_H_
#define SORVEL_PLOT_CONFIDENCE_PICTURE_H_

#include <string>
#include <vector>

#include "common/tables.h"
#include "report/run_report.h"
#include "stress/stress_quantities.h"

/// Every datum on the Mohr diagram of a state, with its misfit.
struct MohrDiagram {
  PrincipalAxes axes;
  double phi;
  std::vector<MohrPoint> points;  // in file order
  std::vector<long> misfits;      // whole degrees
};

/// The diagram of `point` (a GridPoint with its stress tensor) for the
/// data (their vectors need not be set).
MohrDiagram mohr_diagram(const GridPoint& point, const FaultSet& data);

/// The Mohr panel with its top left corner at (left, top): the three
/// circles of sigma1 = 1, sigma2 = Phi, sigma3 = 0 and a dot per datum,
/// green below 15 degrees of misfit, orange below 30, red from 30 on.
void draw_mohr_panel(std::string& out, const MohrDiagram& diagram, double left, double top);

/// The whole picture. `grid` is the grid as generated (its stress tensors
/// set), whose indices the report names.
/// The 95 % cone of `cone` degrees about an axis, in `colour`: dashed when
/// within the grid's spacing (drawn at that spacing), left out over 45.
void draw_confidence_cone(std::string& out, Vec3d axis, double cone,
                          const char* colour, const std::string& id);

/// The 95 % cone of the refined resamples about the refined axis, at its
/// true size (the refined states are not confined to the grid), left out
/// over 45 degrees.
void draw_refined_cone(std::string& out, Vec3d axis, double cone, const char* colour,
                       const std::string& id);

std::string CDM_confidence_picture(const FaultSet& data, const std::string& data_name,
                                   const std::string& results_name, const RunReport& report,
                                   const GridPoint* grid);

#endif  // SORVEL_PLOT_CONFIDENCE_PICTURE_H_
