// The MIM picture of a run's populations, drawn from the data, the results
// file and the run's report alone, so that sorvel-mim and sorvel-plot
// draw the same picture: each population's stress state in its colour
// with its 95 % cones, the data in the colour of their population, the
// density of the votes and a table of the populations.
#ifndef SORVEL_PLOT_POPULATION_PICTURE_H_
#define SORVEL_PLOT_POPULATION_PICTURE_H_

#include <string>

#include "common/tables.h"
#include "plot/mim_report.h"
#include "formats/results_reader.h"
#include "report/population_report.h"

/// What the picture shows of a report: its populations as the states
/// found (in the report's order), each datum given to its population;
/// gss must hold the stress tensors.
MimFindings findings_of_report(const Gss& gss, const FaultSet& data,
                               const PopulationRunReport& report);

/// Why the report does not belong to these data and results, or an
/// empty text.
std::string report_mismatch(const FaultSet& data, const PlotResults& results,
                            const PopulationRunReport& report);

std::string population_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                               const std::string& results_name, const PlotResults& results,
                               const PopulationRunReport& report);

#endif  // SORVEL_PLOT_POPULATION_PICTURE_H_
