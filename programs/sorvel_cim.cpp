// sorvel-cim: the CIM analysis of a fault-slip data file, listing the
// misfit angle of every datum under every stress state.
#include "analyses/cim/cim_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/main_program.h"

static StageResult run_cim(const AnalysisRun& run, const JobTime&, const RunSettings& settings,
                           RunOutcome& outcome) {
  RankedRun result;
  if (StageResult error = CIM_run(run, settings, result)) return error;
  outcome.summary = best_state_summary(result.tables.gss, result.best);
  return std::nullopt;
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CIM File (*.cim)", "*.cim"},
      ".cim",
      {"sorvel-cim",
       "The CIM analysis: every stress state from the best down, with the misfit angle\n"
       "of every datum.\n",
       false, run_cim}};
  return run_analysis_program(program, argc, argv);
}
