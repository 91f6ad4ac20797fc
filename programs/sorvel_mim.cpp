// sorvel-mim: the MIM analysis of a fault-slip data file, in which every
// subset of k data votes for the stress state that explains it best; in
// the command-line mode the data are then separated into populations.
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/mim_populations.h"
#include "formats/population_report_file.h"
#include "formats/split_files.h"
#include "analyses/run_summary.h"
#include "data/data_file.h"
#include "formats/state_text.h"
#include "platform/file_system.h"
#include "platform/results_file.h"
#include "plot/population_picture.h"
#include "shell/console.h"
#include "shell/main_program.h"

// The report as its JSON file gives it back, so that the run's picture is
// the one sorvel-plot draws from that file.
static PopulationRunReport as_written(const PopulationRunReport& report) {
  std::string unused;
  std::optional<PopulationRunReport> read =
      parse_population_report_json(population_report_json(report), unused);
  return read ? *read : report;
}

// The picture from the files as written, as sorvel-plot draws it from them.
static std::string write_population_picture(const AnalysisRun& run, const Gss& gss,
                                            const PopulationRunReport& report) {
  const std::string& path = run.confidence.picture_file;
  FaultSet data;
  PlotResults results;
  std::string error;
  if (read_data_file(run.data_file, data) || !read_results_file(run.results_file, results, error))
    return "the data or the results file cannot be read again for the picture";
  std::string svg = population_picture(gss, data, run.data_file, run.results_file, results, report);
  ResultsFile file;
  if (!results_file_open(file, path)) return "the picture cannot be written to " + path;
  results_file_write(file, svg);
  if (!results_file_commit(file)) return "the picture cannot be written to " + path;
  return "";
}

// The split files are known only now that the populations are: none may
// be another file of the run or, without --overwrite, an existing file.
static std::string split_refusal(const AnalysisRun& run, const PopulationRunReport& report) {
  const ConfidenceOptions& asked = run.confidence;
  for (const std::string& name : split_file_names(run.split_prefix, report)) {
    for (const std::string* other :
         {&run.data_file, &run.results_file, &asked.report_file, &asked.picture_file})
      if (!other->empty() && same_file(name, *other))
        return "the split file " + name + " would replace " + *other + "; no split files written";
    if (path_exists(name) && !asked.overwrite)
      return "split file exists (--overwrite replaces it): " + name + "; no split files written";
  }
  return "";
}

// The outputs after the results file; the first problem, or an empty text.
static std::string write_population_outputs(const AnalysisRun& run, const Gss& gss,
                                            const PopulationRunReport& report) {
  const ConfidenceOptions& asked = run.confidence;
  std::string problem;
  if (!asked.report_file.empty())
    problem = write_population_report(asked.report_file, report, asked.overwrite);
  if (problem.empty() && !run.split_prefix.empty()) problem = split_refusal(run, report);
  if (problem.empty() && !run.split_prefix.empty())
    problem = write_split_files(run.split_prefix, run.data_file, report);
  if (problem.empty() && !asked.picture_file.empty())
    problem = write_population_picture(run, gss, report);
  return problem;
}

// The results file is written first: when a later output fails, the run
// says so and ends with status 1, the results file as written.
static StageResult run_mim(const AnalysisRun& run, const JobTime& start,
                           const RunSettings& settings, std::string& summary) {
  MimRun result;
  if (StageResult error = MIM_run(run, start, settings, result)) return error;
  summary = most_voted_summary(result.tables.gss, most_voted_state(result.votes));
  if (!run.find_populations) return std::nullopt;
  PopulationRunReport report =
      as_written(MIM_populations(run, result, weight_name(run.weight_id), settings));
  summary += "\n" + population_lines(report);
  summary.pop_back();  // the last line end is the summary's own
  std::string problem = write_population_outputs(run, result.tables.gss, report);
  if (!problem.empty()) {
    write_line(summary);
    flush_console();
    std::fprintf(stderr, "sorvel-mim: %s; the results file %s is written\n", problem.c_str(),
                 run.results_file.c_str());
    std::exit(1);
  }
  return std::nullopt;
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"MIM File (*.mim)", "*.mim"},
      ".mim",
      {"sorvel-mim",
       "The MIM analysis: every subset of k data votes for the stress state that fits\n"
       "it best; the results list the votes of every voted stress state. The data are\n"
       "then separated into populations, each with its stress state and confidence.\n",
       true, run_mim, true}};
  return run_analysis_program(program, argc, argv);
}
