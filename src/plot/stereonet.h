// The CDM picture of sorvel-plot: a lower-hemisphere equal-area net with
// the fault planes, their slip and the principal stress axes of the best
// stress states, composed as SVG text; and the stress states of grid
// points as both pictures show them.
#ifndef SORVEL_PLOT_STEREONET_H_
#define SORVEL_PLOT_STEREONET_H_

#include <cstdint>
#include <string>

#include "common/tables.h"
#include "plot/net_drawing.h"
#include "formats/results_reader.h"

/// The axes and Phi of GridPoint k (1-based) of the grid as generated,
/// sigma2 as the summary lines give it.
PlotState state_of_gridpoint(const Gss& gss, int32_t k);

/// The first GridPoint (1-based) whose CDM line has the axes and Phi of
/// `line`, or 0 when none has.
int32_t gridpoint_of_line(const Gss& gss, const CdmState& line);

/// The best state of a CDM file: its last line, with sigma2 from the
/// GridPoint of that line.
PlotState best_cdm_state(const Gss& gss, const PlotResults& results);

/// The whole picture for a CDM results file; gss must hold the generated
/// grid with its stress tensors.
std::string CDM_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results);

#endif  // SORVEL_PLOT_STEREONET_H_
