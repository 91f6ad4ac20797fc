// The CDM analysis: every stage once, in order, with progress lines.
#ifndef SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
#define SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_

#include <string>

#include "analyses/shared_stages.h"

/// Runs the analysis with the run's answers and writes the results file;
/// returns the best stress state. Every failure ends the run through
/// ErrorReporter.
BestState CDM_run(const AnalysisRun& run);

/// The dialogue's run: asks for the weight function, then CDM_run.
void CDM_execute(const std::string& data_file_name, const std::string& results_file_name);

#endif  // SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
