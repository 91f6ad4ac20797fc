#include "analyses/cim/cim_pipeline.h"

#include "analyses/cim/cim_results.h"
#include "common/state.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

BestState CIM_run(const AnalysisRun& run) {
  start_run(run, "  * Initialization     *");
  prepare_scoring("CIM_execute", "");
  BestState best = rank_stress_states();
  shift_fitness();
  show_progress_message("  * Writing Results    *");
  CIM_save_results();
  release_tables();
  return best;
}

void CIM_execute(const std::string& data_file_name, const std::string& results_file_name) {
  determine_weightfunc();
  CIM_run(AnalysisRun{data_file_name, results_file_name, weightfunc_id});
}
