// sorvel: the CDM analysis of a fault-slip data file.
#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/main_program.h"

static std::string run_cdm(const RunOptions& options) {
  return best_state_summary(CDM_run({options.data_file, options.results_file, options.weight_id}));
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CDM File (*.cdm)", "*.cdm"},
      ".cdm",
      CDM_execute,
      {"sorvel",
       "The CDM analysis: every stress state of the grid with its fitness, the best last.\n", false,
       run_cdm}};
  return run_analysis_program(program, argc, argv);
}
