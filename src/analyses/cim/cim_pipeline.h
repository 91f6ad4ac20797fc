// The CIM analysis: the stages of the CDM analysis up to the ranking,
// then a results file that adds the misfit angle of every datum.
#ifndef SORVEL_ANALYSES_CIM_CIM_PIPELINE_H_
#define SORVEL_ANALYSES_CIM_CIM_PIPELINE_H_

#include <string>

#include "analyses/shared_stages.h"

/// Runs the analysis with the run's answers and writes the results file;
/// returns the best stress state. Every failure ends the run through
/// ErrorReporter.
BestState CIM_run(const AnalysisRun& run);

/// The dialogue's run: asks for the weight function, then CIM_run.
void CIM_execute(const std::string& data_file_name, const std::string& results_file_name);

#endif  // SORVEL_ANALYSES_CIM_CIM_PIPELINE_H_
