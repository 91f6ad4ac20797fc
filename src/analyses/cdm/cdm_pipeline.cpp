#include "analyses/cdm/cdm_pipeline.h"

#include "analyses/cdm/cdm_results.h"
#include "common/state.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

BestState CDM_run(const AnalysisRun& run) {
  start_run(run, "  * Initialization     *");
  prepare_scoring("CDM_execute", "");
  BestState best = rank_stress_states();
  show_progress_message("  * Saving Results     *");
  shift_fitness();
  CDM_save_results();
  release_tables();
  return best;
}

void CDM_execute(const std::string& data_file_name, const std::string& results_file_name) {
  determine_weightfunc();
  CDM_run(AnalysisRun{data_file_name, results_file_name, weightfunc_id});
}
