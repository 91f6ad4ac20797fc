#include "analyses/cdm/cdm_pipeline.h"

#include "analyses/cdm/cdm_results.h"
#include "fitness/ranking.h"

StageResult CDM_run(const AnalysisRun& run, const RunSettings& settings, RankedRun& result) {
  // No later stage reads the scores: only their sums are kept.
  if (StageResult error =
          score_and_rank(run, settings, "CDM_execute", ScoreKeeping::sums_only, result))
    return error;
  report_progress_message(settings, "  * Saving Results     *");
  GridValues shifted = shift_fitness(result.ranking.fitness, result.ranking.order);
  return CDM_save_results(run.results_file, result.tables.gss, result.ranking.order, shifted);
}
