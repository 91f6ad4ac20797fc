#include "analyses/cdm/cdm_pipeline.h"

#include "formats/cdm_file.h"
#include "fitness/ranking.h"

StageResult CDM_run(const AnalysisRun& run, const RunSettings& settings, RankedRun& result) {
  // Only the bootstrap reads the scores again; without it only their sums
  // are kept.
  const ScoreKeeping keeping =
      run.confidence.resamples > 0 ? ScoreKeeping::table : ScoreKeeping::sums_only;
  if (StageResult error = score_and_rank(run, settings, "CDM_execute", keeping, result))
    return error;
  report_progress_message(settings, "  * Saving Results     *");
  const Ranking& ranking = result.ranking;
  return CDM_save_results(run.results_file, result.tables.gss, ranking.order, ranking.fitness,
                          lowest_fitness(ranking.fitness, ranking.order), settings);
}
