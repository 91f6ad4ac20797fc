// The stage of a MIM run of the command-line mode after its results
// file: the data separated into populations, each described like the best
// state of a CDM run and given the confidence of a bootstrap of its own
// data; its lines for the console, its data files and its picture.
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

/// The names of the data files of --split: PREFIX1.fdt, ... one a
/// population, and PREFIX0.fdt for the data no population explains when
/// there are any.
std::vector<std::string> split_file_names(const std::string& prefix,
                                          const PopulationRunReport& report);

/// Writes each population's data, the lines of the data file as they
/// stand, to its file of split_file_names; the problem, or an empty text.
std::string write_split_files(const std::string& prefix, const std::string& data_file,
                              const PopulationRunReport& report);

#endif  // SORVEL_ANALYSES_MIM_MIM_POPULATIONS_H_
