#include "runners/mim_runner.h"

#include <cstdlib>
#include <optional>

#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/mim_populations.h"
#include "analyses/populations/data_assignment.h"
#include "analyses/run_summary.h"
#include "formats/state_text.h"
#include "common/constants.h"
#include "fitness/weight_functions.h"
#include "data/data_file.h"
#include "formats/population_report_file.h"
#include "formats/split_files.h"
#include "platform/file_system.h"
#include "platform/text_file.h"
#include "plot/mim_picture.h"


std::string population_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                               const std::string& results_name, const PlotResults& results,
                               const PopulationRunReport& report) {
  return MIM_picture(gss, data, data_name, results_name, results,
                     findings_of_report(gss, data, report));
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
  if (!write_text_file(path, svg)) return "the picture cannot be written to " + path;
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

StageResult MIM_program_run(const AnalysisRun& run, const JobTime& start,
                            const RunSettings& settings, RunOutcome& outcome) {
  MimRun result;
  if (StageResult error = MIM_run(run, start, settings, result)) return error;
  outcome.summary = most_voted_summary(result.tables.gss, most_voted_state(result.votes));
  if (!run.find_populations) return std::nullopt;
  PopulationRunReport report =
      population_report_as_written(MIM_populations(run, result, weight_name(run.weight_id), settings));
  outcome.summary += "\n" + population_lines(report);
  outcome.summary.pop_back();  // the last line end is the summary's own
  outcome.output_problem = write_population_outputs(run, result.tables.gss, report);
  return std::nullopt;
}

// The weight function a MIM file names, by the name its writer gives it;
// 0 for none of ours.
static int8_t weight_id_of_file(const PlotResults& results) {
  for (int8_t id = 1; id <= 4; ++id) {
    std::string name = weight_function_of(id).name;
    name.erase(name.find_last_not_of(' ') + 1);
    if (name == results.function_name) return id;
  }
  return 0;
}

PopulationRunReport populations_of_files(const AnalysisRun& asked, const FaultSet& data,
                                         const PlotResults& results, const RunSettings& settings,
                                         std::string& problem) {
  AnalysisRun run = asked;
  run.weight_id = weight_id_of_file(results);
  if (run.weight_id == 0) {
    problem = "names no weight function of sorvel: " + results.function_name;
    return {};
  }
  run.subset_size = static_cast<int8_t>(std::atoi(results.k_text.c_str()));
  MimRun mim;
  mim.tables.faults = data;
  if (StageResult error =
          prepare_scoring("MIM_execute", "Invalid data", ScoreKeeping::table, mim.tables)) {
    problem = error->message;
    return {};
  }
  score_stress_states("", run, settings, mim.tables);
  mim.votes.assign(GSS_SIZE, 0);
  for (const MimVote& v : results.votes)
    mim.votes[static_cast<std::size_t>(v.index - 1)] = static_cast<int32_t>(v.votes);
  return population_report_as_written(MIM_populations(run, mim, weight_name(run.weight_id), settings));
}
