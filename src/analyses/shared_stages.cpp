#include "analyses/shared_stages.h"

#include "confidence/bootstrap.h"
#include "data/data_file.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "grid/gss.h"
#include "grid/stress_order.h"
#include "grid/stress_tensors.h"

StageResult start_run(const AnalysisRun& run, const RunSettings& settings,
                      const char* first_progress, FaultSet& faults) {
  report_progress_message(settings, "");
  report_progress_message(settings, first_progress);
  return read_data_file(run.data_file, faults);
}

StageResult prepare_scoring(const char* routine, const char* grid_failure, ScoreKeeping keeping,
                            RunTables& tables) {
  prepare_fault_geometry(tables.faults);
  if (!is_GSS_generation_successful(tables.gss))
    return ErrorReport{routine, grid_failure, {}, GSS_FAILURE_NOTES};
  compute_stress_tensors(tables.gss);
  if (keeping == ScoreKeeping::sums_only) return std::nullopt;
  return allocate_fitness_table(tables.faults.count, tables.table);
}

void score_stress_states(const char* progress, const AnalysisRun& run,
                         const RunSettings& settings, RunTables& tables) {
  report_progress_message(settings, progress);
  fill_fitness_table(tables.gss, tables.faults, weight_function_of(run.weight_id), settings,
                     tables.table);
}

StageResult rank_stress_states(const AnalysisRun& run, const RunSettings& settings,
                               RunTables& tables, Ranking& ranking) {
  if (tables.table.scores != nullptr || tables.faults.count == 0) {
    score_stress_states("  * Estimating Fitness *", run, settings, tables);
    ranking.fitness = sum_fitness(tables.table, settings);
  } else {
    report_progress_message(settings, "  * Estimating Fitness *");
    if (StageResult error = fill_and_sum_fitness(tables.gss, tables.faults,
                                                 weight_function_of(run.weight_id), settings,
                                                 ranking.fitness))
      return error;
  }
  report_progress_message(settings, "  * Sorting            *");
  ranking.order = sort_gridpoints(ranking.fitness);
  return std::nullopt;
}

StageResult score_and_rank(const AnalysisRun& run, const RunSettings& settings,
                           const char* routine, ScoreKeeping keeping, RankedRun& result) {
  result = RankedRun();
  RunTables& tables = result.tables;
  if (StageResult error = start_run(run, settings, "  * Initialization     *", tables.faults))
    return error;
  // Too few data for the bootstrap to resample need no table for it.
  if (keeping == ScoreKeeping::table_in_search_order && tables.faults.count < MIN_BOOTSTRAP_DATA)
    keeping = ScoreKeeping::sums_only;
  // The reference paths keep the table, as the formulas read.
  if (settings.reference) keeping = ScoreKeeping::table;
  if (StageResult error = prepare_scoring(routine, "", keeping, tables)) return error;
  if (keeping == ScoreKeeping::table_in_search_order && tables.table.scores != nullptr)
    tables.table.rows = search_stress_order(tables.gss, settings.threads);
  if (StageResult error = rank_stress_states(run, settings, tables, result.ranking)) return error;
  const int32_t best = result.ranking.order.back();
  result.best = BestState{best, result.ranking.fitness[static_cast<std::size_t>(best)],
                          tables.faults.count};
  return std::nullopt;
}

void release_tables(RunTables& tables) {
  tables.faults = FaultSet();
  tables.table = FitnessTable();
}
