#include "analyses/shared_stages.h"

#include "common/state.h"
#include "data/fault_data_reader.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

void start_run(const AnalysisRun& run, const char* first_progress) {
  file_names.data_file = run.data_file;
  file_names.results_file = run.results_file;
  weightfunc_id = run.weight_id;
  weightfunc_name = padded_weight_name(run.weight_id);
  show_progress_message("");
  show_progress_message(first_progress);
  read_data_file();
}

void prepare_scoring(const char* routine, const char* grid_failure) {
  prepare_fault_geometry();
  if (!is_GSS_generation_successful()) ErrorReporter(routine, grid_failure);
  compute_stress_tensors();
  allocate_fitness_table();
}

void score_stress_states(const char* progress) {
  show_progress_message(progress);
  fill_fitness_table(weight_function_of(weightfunc_id));
}

BestState rank_stress_states() {
  score_stress_states("  * Estimating Fitness *");
  sum_fitness();
  show_progress_message("  * Sorting            *");
  sort_gridpoints();
  return BestState{GSS_SIZE, gss[GSS_SIZE - 1].fitness, faults.count};
}
