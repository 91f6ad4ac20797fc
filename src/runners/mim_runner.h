// What sorvel-mim runs: the MIM analysis and its results file, then, in
// the command-line mode, the populations of its data with their report,
// split files and picture; and the same populations found again from a
// run's files, for sorvel-plot.
#ifndef SORVEL_RUNNERS_MIM_RUNNER_H_
#define SORVEL_RUNNERS_MIM_RUNNER_H_

#include <string>

#include "analyses/shared_stages.h"
#include "common/job_time.h"
#include "formats/results_reader.h"
#include "report/population_report.h"

/// The run; the results file is written first, so that when a later
/// output fails the run says so with its results file as written.
StageResult MIM_program_run(const AnalysisRun& run, const JobTime& start,
                            const RunSettings& settings, RunOutcome& outcome);

/// The populations of the run that wrote `results` from the data `data`
/// (read from `run.data_file`), found as sorvel-mim finds them with the
/// options of `run`, as their JSON report gives them back; the problem
/// in `problem` when the results name no weight function of ours.
PopulationRunReport populations_of_files(const AnalysisRun& run, const FaultSet& data,
                                         const PlotResults& results, const RunSettings& settings,
                                         std::string& problem);

/// The picture of a run's populations; gss must hold the stress tensors.
std::string population_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                               const std::string& results_name, const PlotResults& results,
                               const PopulationRunReport& report);

#endif  // SORVEL_RUNNERS_MIM_RUNNER_H_
