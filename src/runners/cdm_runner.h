// What sorvel runs: the CDM analysis and its results file, then the
// report and the picture the command line asked for.
#ifndef SORVEL_RUNNERS_CDM_RUNNER_H_
#define SORVEL_RUNNERS_CDM_RUNNER_H_

#include "analyses/shared_stages.h"
#include "common/job_time.h"

/// The run; the results file is written before the report and the
/// picture, so that when either fails the run says so with its results
/// file as written.
StageResult CDM_program_run(const AnalysisRun& run, const JobTime& start,
                            const RunSettings& settings, RunOutcome& outcome);

#endif  // SORVEL_RUNNERS_CDM_RUNNER_H_
