// sorvel: the CDM analysis of a fault-slip data file.
#include <cstdio>
#include <cstdlib>

#include "analyses/cdm/cdm_confidence.h"
#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/run_summary.h"
#include "formats/state_text.h"
#include "platform/results_file.h"
#include "formats/run_report_file.h"
#include "shell/console.h"
#include "shell/main_program.h"

static std::string write_picture(const std::string& path, const std::string& svg) {
  ResultsFile file;
  if (!results_file_open(file, path)) return "the picture cannot be written to " + path;
  results_file_write(file, svg);
  if (!results_file_commit(file)) return "the picture cannot be written to " + path;
  return "";
}

// The results file is written before the report and the picture: when
// either fails, the run says so and ends with status 1, the results file
// as written.
static StageResult run_cdm(const AnalysisRun& run, const JobTime&, const RunSettings& settings,
                           std::string& summary) {
  RankedRun result;
  if (StageResult error = CDM_run(run, settings, result)) return error;
  summary = best_state_summary(result.tables.gss, result.best);
  const ConfidenceOptions& asked = run.confidence;
  ConfidenceOutcome outcome =
      CDM_confidence(run, result, weight_name(run.weight_id), settings);
  summary += summary_words(outcome.report);
  std::string problem;
  if (!asked.report_file.empty())
    problem = write_report(asked.report_file, outcome.report, asked.overwrite);
  if (problem.empty() && !asked.picture_file.empty())
    problem = write_picture(asked.picture_file, outcome.picture);
  if (!problem.empty()) {
    write_line(summary);
    flush_console();
    std::fprintf(stderr, "sorvel: %s; the results file %s is written\n", problem.c_str(),
                 run.results_file.c_str());
    std::exit(1);
  }
  return std::nullopt;
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CDM File (*.cdm)", "*.cdm"},
      ".cdm",
      {"sorvel",
       "The CDM analysis: every stress state of the grid with its fitness, the best last,\n"
       "and the confidence of the best state from a bootstrap of the data.\n",
       false, run_cdm, true}};
  return run_analysis_program(program, argc, argv);
}
