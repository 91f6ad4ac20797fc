// The MIM picture of sorvel-plot: the fault planes and their slip
// coloured by the stress state each datum fits, the axes of every state
// found labelled S1, S2, ..., with its 95 % cones, two small nets with the
// density of the votes for sigma1 and for sigma3, and a table of the
// populations. sorvel-mim and sorvel-plot draw it from the data, the
// results file and the run's populations as its report gives them, so
// that both draw the same picture.
#ifndef SORVEL_PLOT_MIM_PICTURE_H_
#define SORVEL_PLOT_MIM_PICTURE_H_

#include <string>

#include "common/tables.h"
#include "formats/results_reader.h"
#include "report/mim_findings.h"

/// The colour of state s (1-based) in the picture; grey for 0 (none).
std::string state_colour(int s);

/// The whole picture for a MIM results file and what was found in it.
std::string MIM_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results,
                        const MimFindings& findings);

#endif  // SORVEL_PLOT_MIM_PICTURE_H_
