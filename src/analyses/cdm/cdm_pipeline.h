// The CDM analysis: every stage once, in order, with progress lines.
#ifndef SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
#define SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_

#include <cstdint>
#include <functional>
#include <string>

#include "analyses/shared_stages.h"
#include "common/types.h"

/// What a run holds once its results file is written, for a stage that
/// looks at the scores again (the bootstrap) before they are released.
struct ScoredRun {
  const int8_t* scores;     // scores[j * GSS_SIZE + k], datum j, state k of the grid as generated
  int32_t columns;          // the number of data
  const GridPoint* grid;    // the grid as generated, with its stress tensors
  int32_t best_index;       // 0-based in `grid`: the state the results file lists last
  int32_t best_sum;         // its summed score
  const FaultDatum* data;   // the data, with their normal and slip vectors
};

using ScoredRunStage = std::function<void(const ScoredRun&)>;

/// Runs the analysis with the run's answers and writes the results file;
/// then `after_saving`, when given; returns the best stress state. Every
/// failure ends the run through ErrorReporter.
BestState CDM_run(const AnalysisRun& run, const ScoredRunStage& after_saving = nullptr);

/// The dialogue's run: asks for the weight function, then CDM_run.
void CDM_execute(const std::string& data_file_name, const std::string& results_file_name);

#endif  // SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
