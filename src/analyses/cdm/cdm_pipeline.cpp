#include "analyses/cdm/cdm_pipeline.h"

#include "analyses/cdm/cdm_results.h"
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

void CDM_execute(const std::string& data_file_name, const std::string& results_file_name) {
  file_names.data_file = data_file_name;
  file_names.results_file = results_file_name;
  determine_weightfunc();
  message_line("");
  message_line("  * Initialization     *");
  flush_console();
  read_data_file();
  prepare_fault_geometry();
  if (!is_GSS_generation_successful()) ErrorReporter("CDM_execute", "");
  compute_stress_tensors();
  allocate_fitness_table();
  message_line("  * Estimating Fitness *");
  flush_console();
  fill_fitness_table(weight_function_of(weightfunc_id));
  sum_fitness();
  message_line("  * Sorting            *");
  flush_console();
  sort_gridpoints();
  message_line("  * Saving Results     *");
  flush_console();
  shift_fitness();
  CDM_save_results();
  release_tables();
}
