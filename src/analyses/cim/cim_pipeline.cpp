#include "analyses/cim/cim_pipeline.h"

#include "analyses/cim/cim_results.h"
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

static void progress_line(const char* text) {
  message_line(text);
  flush_console();
}

void CIM_execute(const std::string& data_file_name, const std::string& results_file_name) {
  file_names.data_file = data_file_name;
  file_names.results_file = results_file_name;
  determine_weightfunc();
  message_line("");
  progress_line("  * Initialization     *");
  read_data_file();
  prepare_fault_geometry();
  if (!is_GSS_generation_successful()) ErrorReporter("CIM_execute", "");
  compute_stress_tensors();
  allocate_fitness_table();
  progress_line("  * Estimating Fitness *");
  fill_fitness_table(weight_function_of(weightfunc_id));
  sum_fitness();
  progress_line("  * Sorting            *");
  sort_gridpoints();
  shift_fitness();
  progress_line("  * Writing Results    *");
  CIM_save_results();
  release_tables();
}
