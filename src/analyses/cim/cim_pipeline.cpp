#include "analyses/cim/cim_pipeline.h"

#include "formats/cim_file.h"
#include "fitness/ranking.h"

StageResult CIM_run(const AnalysisRun& run, const RunSettings& settings, RankedRun& result) {
  // No later stage reads the scores: only their sums are kept.
  if (StageResult error =
          score_and_rank(run, settings, "CIM_execute", ScoreKeeping::sums_only, result))
    return error;
  GridValues shifted = shift_fitness(result.ranking.fitness, result.ranking.order);
  report_progress_message(settings, "  * Writing Results    *");
  return CIM_save_results(run.results_file, result.tables, result.ranking.order, shifted,
                          settings);
}
