// sorvel: the CDM analysis of a fault-slip data file.
#include <cstdio>
#include <cstdlib>

#include "analyses/cdm/cdm_confidence.h"
#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/run_summary.h"
#include "common/results_file.h"
#include "common/threads.h"
#include "report/report_files.h"
#include "shell/console.h"
#include "shell/main_program.h"

static const char* const WEIGHT_NAMES[] = {"cosine", "linear", "tangent", "hyperbolic-tangent"};

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
static std::string run_cdm(const RunOptions& options) {
  ConfidenceRequest request{options.resamples, options.seed, thread_count(), options.data_file,
                            options.results_file, WEIGHT_NAMES[options.weight_id - 1],
                            !options.picture_file.empty()};
  ConfidenceOutcome outcome;
  BestState best = CDM_run({options.data_file, options.results_file, options.weight_id},
                           [&](const ScoredRun& scored) { outcome = CDM_confidence(scored, request); });
  std::string summary = best_state_summary(best) + summary_words(outcome.report);
  std::string problem;
  if (!options.report_file.empty())
    problem = write_report(options.report_file, outcome.report, options.overwrite);
  if (problem.empty() && !options.picture_file.empty())
    problem = write_picture(options.picture_file, outcome.picture);
  if (!problem.empty()) {
    write_line(summary);
    flush_console();
    std::fprintf(stderr, "sorvel: %s; the results file %s is written\n", problem.c_str(),
                 options.results_file.c_str());
    std::exit(1);
  }
  return summary;
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CDM File (*.cdm)", "*.cdm"},
      ".cdm",
      CDM_execute,
      {"sorvel",
       "The CDM analysis: every stress state of the grid with its fitness, the best last,\n"
       "and the confidence of the best state from a bootstrap of the data.\n",
       false, run_cdm, true}};
  return run_analysis_program(program, argc, argv);
}
