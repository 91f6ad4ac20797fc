#include "analyses/cdm/cdm_pipeline.h"

#include "formats/cdm_file.h"
#include "fitness/fitness_table.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"

StageResult CDM_run(const AnalysisRun& run, const RunSettings& settings, RankedRun& result) {
  // Only the bootstrap reads the scores again; without it, or with too
  // few data for it, only their sums are kept.
  ScoreKeeping keeping =
      run.confidence.resamples > 0 ? ScoreKeeping::table_in_search_order : ScoreKeeping::sums_only;
#ifdef __EMSCRIPTEN__
  // In the page, helper workers may search the resamples with their
  // shares of the fill: no table then, unless their files are refused.
  const bool shared = keeping != ScoreKeeping::sums_only && !settings.reference &&
                      share_resample_search(run.confidence.resamples, run.confidence.seed);
  if (shared) keeping = ScoreKeeping::sums_only;
#endif
  if (StageResult error = score_and_rank(run, settings, "CDM_execute", keeping, result))
    return error;
#ifdef __EMSCRIPTEN__
  if (shared) result.resample_best = take_shared_resample_best();
  if (shared && result.resample_best.empty() && result.tables.faults.count > 0) {
    RunTables& tables = result.tables;
    if (StageResult error = allocate_fitness_table(tables.faults.count, tables.table)) return error;
    fill_fitness_table(tables.gss, tables.faults, weight_function_of(run.weight_id), settings,
                       tables.table);
  }
#endif
  report_progress_message(settings, "  * Saving Results     *");
  const Ranking& ranking = result.ranking;
  return CDM_save_results(run.results_file, result.tables.gss, ranking.order, ranking.fitness,
                          lowest_fitness(ranking.fitness, ranking.order), settings);
}
