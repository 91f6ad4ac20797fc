// The stage of a MIM run of the command-line mode after its results
// file: the data separated into populations, each described like the best
// state of a CDM run and given the confidence of a bootstrap of its own
// data; its lines for the console.
#ifndef SORVEL_ANALYSES_MIM_MIM_POPULATIONS_H_
#define SORVEL_ANALYSES_MIM_MIM_POPULATIONS_H_

#include <string>

#include "analyses/mim/mim_pipeline.h"
#include "common/run_settings.h"
#include "report/population_report.h"

/// The populations of a MIM run (its table and votes kept), with the
/// confidence of each when the run asks for resamples. `weight_function`
/// is the command-line name of the run's weight function.
PopulationRunReport MIM_populations(const AnalysisRun& run, const MimRun& mim,
                                    const std::string& weight_function,
                                    const RunSettings& settings);

/// The console lines: the count and the rule that chose it, one line a
/// population, then one line a datum; each ended by a line feed.
std::string population_lines(const PopulationRunReport& report);

#endif  // SORVEL_ANALYSES_MIM_MIM_POPULATIONS_H_
