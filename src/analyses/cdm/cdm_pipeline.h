// The CDM analysis: every stage once, in order, with progress lines.
#ifndef SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
#define SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_

#include "analyses/shared_stages.h"

/// Runs the analysis with the run's answers and writes the results file;
/// fills `result` (its score table kept when the run asks for resamples). A failure comes back as the report the shell prints.
StageResult CDM_run(const AnalysisRun& run, const RunSettings& settings, RankedRun& result);

#endif  // SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
