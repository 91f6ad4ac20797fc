#include "runners/cdm_runner.h"

#include "analyses/cdm/cdm_confidence.h"
#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/run_summary.h"
#include "formats/state_text.h"
#include "formats/run_report_file.h"
#include "platform/text_file.h"
#include "plot/confidence_picture.h"


static std::string write_picture(const std::string& path, const std::string& svg) {
  return write_text_file(path, svg) ? "" : "the picture cannot be written to " + path;
}

StageResult CDM_program_run(const AnalysisRun& run, const JobTime&, const RunSettings& settings,
                            RunOutcome& outcome) {
  RankedRun result;
  if (StageResult error = CDM_run(run, settings, result)) return error;
  outcome.summary = best_state_summary(result.tables.gss, result.best);
  const ConfidenceOptions& asked = run.confidence;
  RunReport report = CDM_confidence(run, result, weight_name(run.weight_id), settings);
  outcome.summary += summary_words(report);
  std::string& problem = outcome.output_problem;
  if (!asked.report_file.empty()) problem = write_report(asked.report_file, report, asked.overwrite);
  if (problem.empty() && !asked.picture_file.empty())
    problem = write_picture(asked.picture_file,
                            CDM_confidence_picture(result.tables.faults, run.data_file,
                                                   run.results_file, report,
                                                   result.tables.gss.points.data()));
  return std::nullopt;
}
