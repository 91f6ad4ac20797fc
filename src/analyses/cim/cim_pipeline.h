// The CIM analysis: the stages of the CDM analysis up to the ranking,
// then a results file that adds the misfit angle of every datum.
#ifndef SORVEL_ANALYSES_CIM_CIM_PIPELINE_H_
#define SORVEL_ANALYSES_CIM_CIM_PIPELINE_H_

#include "analyses/shared_stages.h"

/// Runs the analysis with the run's answers and writes the results file;
/// fills `result`. A failure comes back as the report the shell prints.
StageResult CIM_run(const AnalysisRun& run, const RunSettings& settings, RankedRun& result);

#endif  // SORVEL_ANALYSES_CIM_CIM_PIPELINE_H_
