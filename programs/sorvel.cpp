// sorvel: the CDM analysis of a fault-slip data file.
#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/run_summary.h"
#include "shell/main_program.h"

static StageResult run_cdm(const AnalysisRun& run, const JobTime&, const RunSettings& settings,
                           std::string& summary) {
  RankedRun result;
  if (StageResult error = CDM_run(run, settings, result)) return error;
  summary = best_state_summary(result.tables.gss, result.best);
  return std::nullopt;
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CDM File (*.cdm)", "*.cdm"},
      ".cdm",
      {"sorvel",
       "The CDM analysis: every stress state of the grid with its fitness, the best last.\n", false,
       run_cdm}};
  return run_analysis_program(program, argc, argv);
}
