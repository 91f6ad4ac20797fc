// sorvel: the CDM analysis of a fault-slip data file.
#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/command_line.h"
#include "shell/main_program.h"

static std::string run_cdm(const RunOptions& options) {
  AnalysisRun run = {options.data_file, options.results_file, options.weight_id};
  return best_state_summary(CDM_run(run));
}

int main(int argc, char** argv) {
  if (argc > 1) {
    CommandLineProgram program = {
        "sorvel", "The CDM analysis: every stress state of the grid with its fitness, the best last.\n",
        ".cdm", false, run_cdm};
    return run_command_line(program, argc, argv);
  }
  AnalysisProgram program = {{"CDM File (*.cdm)", "*.cdm"}, ".cdm", CDM_execute};
  ConsoleFileChooser chooser;
  return run_main_program(program, chooser);
}
