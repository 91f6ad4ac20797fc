// The pictures of sorvel-plot: a lower-hemisphere equal-area net with the
// fault planes, their slip and the principal stress axes of the results,
// composed as SVG text.
#ifndef SORVEL_PLOT_STEREONET_H_
#define SORVEL_PLOT_STEREONET_H_

#include <cstdint>
#include <string>

#include "common/state.h"
#include "plot/projection.h"
#include "plot/results_reader.h"
#include "plot/svg_writer.h"

/// An axis in whole degrees, turned to its downward end.
struct PlotAxis {
  int azimuth;
  int plunge;
};

/// The principal axes, Phi and fitness (or votes) of one stress state.
struct PlotState {
  PlotAxis sigma1, sigma2, sigma3;
  int phi_tenths;
  long score;
};

/// Where the net lies in the picture: centre and radius of the primitive.
struct NetFrame {
  double centre_x, centre_y, radius;
};
extern const NetFrame NET_FRAME;

/// Picture coordinates of a net point (north up, east right).
SvgPoint net_to_picture(NetPoint p);

/// The axes and Phi of GridPoint k (1-based) of the grid as generated;
/// gss must hold the generated grid.
PlotState state_of_gridpoint(int32_t k);

/// The GridPoint whose CDM line begins with `axes_text` (both axes and
/// Phi, 16 characters), or 0 when none does.
int32_t gridpoint_of_axes(const std::string& axes_text);

/// The best state of a CDM file: its last line, with sigma2 from the
/// GridPoint of that line.
PlotState best_cdm_state(const PlotResults& results);

/// The whole picture for a CDM results file.
std::string CDM_picture(const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results);

/// The whole picture for a MIM results file.
std::string MIM_picture(const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results);

#endif  // SORVEL_PLOT_STEREONET_H_
