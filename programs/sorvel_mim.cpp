// sorvel-mim: the MIM analysis of a fault-slip data file, in which every
// subset of k data votes for the stress state that explains it best.
#include "analyses/mim/mim_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/main_program.h"

static StageResult run_mim(const AnalysisRun& run, const JobTime& start,
                           const RunSettings& settings, std::string& summary) {
  MimRun result;
  if (StageResult error = MIM_run(run, start, settings, result)) return error;
  summary = most_voted_summary(result.tables.gss, most_voted_state(result.votes));
  return std::nullopt;
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"MIM File (*.mim)", "*.mim"},
      ".mim",
      {"sorvel-mim",
       "The MIM analysis: every subset of k data votes for the stress state that fits\n"
       "it best; the results list the votes of every voted stress state.\n",
       true, run_mim}};
  return run_analysis_program(program, argc, argv);
}
