// The MIM analysis: the shared stages up to the filled fitness table, a
// vote of every k-subset of the data, and the results file with the
// voted stress states and the start and end of the job.
#ifndef SORVEL_ANALYSES_MIM_MIM_PIPELINE_H_
#define SORVEL_ANALYSES_MIM_MIM_PIPELINE_H_

#include <cstdint>
#include <string>

#include "formats/mim_file.h"
#include "analyses/shared_stages.h"
#include "common/tables.h"

/// What a MIM run gives back: its tables and the votes of every
/// GridPoint, in grid order.
struct MimRun {
  RunTables tables;
  GridValues votes;
};

/// Runs the analysis for the run's subset size and writes the results
/// file, giving `start` as the start of the job; fills `result`. A failure
/// comes back as the report the shell prints.
StageResult MIM_run(const AnalysisRun& run, const JobTime& start, const RunSettings& settings,
                    MimRun& result);

#endif  // SORVEL_ANALYSES_MIM_MIM_PIPELINE_H_
