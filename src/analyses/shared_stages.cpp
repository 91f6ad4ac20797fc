#include "analyses/shared_stages.h"

#include "data/fault_data_reader.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"

StageResult start_run(const AnalysisRun& run, const RunSettings& settings,
                      const char* first_progress, FaultSet& faults) {
  report_progress_message(settings, "");
  report_progress_message(settings, first_progress);
  return read_data_file(run.data_file, faults);
}

StageResult prepare_scoring(const char* routine, const char* grid_failure, RunTables& tables) {
  prepare_fault_geometry(tables.faults);
  if (!is_GSS_generation_successful(tables.gss))
    return ErrorReport{routine, grid_failure, {}, GSS_FAILURE_NOTES};
  compute_stress_tensors(tables.gss);
  return allocate_fitness_table(tables.faults.count, tables.table);
}

void score_stress_states(const char* progress, const AnalysisRun& run,
                         const RunSettings& settings, RunTables& tables) {
  report_progress_message(settings, progress);
  fill_fitness_table(tables.gss, tables.faults, weight_function_of(run.weight_id), settings,
                     tables.table);
}

Ranking rank_stress_states(const AnalysisRun& run, const RunSettings& settings,
                           RunTables& tables) {
  score_stress_states("  * Estimating Fitness *", run, settings, tables);
  Ranking ranking;
  ranking.fitness = sum_fitness(tables.table, settings);
  report_progress_message(settings, "  * Sorting            *");
  ranking.order = sort_gridpoints(ranking.fitness);
  return ranking;
}

StageResult score_and_rank(const AnalysisRun& run, const RunSettings& settings,
                           const char* routine, RankedRun& result) {
  result = RankedRun();
  RunTables& tables = result.tables;
  if (StageResult error = start_run(run, settings, "  * Initialization     *", tables.faults))
    return error;
  if (StageResult error = prepare_scoring(routine, "", tables)) return error;
  result.ranking = rank_stress_states(run, settings, tables);
  const int32_t best = result.ranking.order.back();
  result.best = BestState{best, result.ranking.fitness[static_cast<std::size_t>(best)],
                          tables.faults.count};
  return std::nullopt;
}

void release_tables(RunTables& tables) {
  tables.faults = FaultSet();
  tables.table = FitnessTable();
}
