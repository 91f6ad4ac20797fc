// sorvel-cim: the CIM analysis of a fault-slip data file, listing the
// misfit angle of every datum under every stress state.
#include "analyses/cim/cim_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/command_line.h"
#include "shell/main_program.h"

static std::string run_cim(const RunOptions& options) {
  AnalysisRun run = {options.data_file, options.results_file, options.weight_id};
  return best_state_summary(CIM_run(run));
}

int main(int argc, char** argv) {
  if (argc > 1) {
    CommandLineProgram program = {
        "sorvel-cim",
        "The CIM analysis: every stress state from the best down, with the misfit angle\n"
        "of every datum.\n",
        ".cim", false, run_cim};
    return run_command_line(program, argc, argv);
  }
  AnalysisProgram program = {{"CIM File (*.cim)", "*.cim"}, ".cim", CIM_execute};
  ConsoleFileChooser chooser;
  return run_main_program(program, chooser);
}
