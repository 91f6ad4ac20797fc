// sorvel-cim: the CIM analysis of a fault-slip data file, listing the
// misfit angle of every datum under every stress state.
#include "analyses/cim/cim_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/main_program.h"

static std::string run_cim(const RunOptions& options) {
  return best_state_summary(CIM_run({options.data_file, options.results_file, options.weight_id}));
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CIM File (*.cim)", "*.cim"},
      ".cim",
      CIM_execute,
      {"sorvel-cim",
       "The CIM analysis: every stress state from the best down, with the misfit angle\n"
       "of every datum.\n",
       false, run_cim}};
  return run_analysis_program(program, argc, argv);
}
