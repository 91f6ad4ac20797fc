#include "runners/plot_runner.h"

#include <cmath>
#include <optional>

#include "analyses/mim/mim_populations.h"
#include "confidence/bootstrap.h"
#include "data/data_file.h"
#include "formats/population_report_file.h"
#include "formats/results_reader.h"
#include "formats/run_report_file.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "platform/file_system.h"
#include "platform/text_file.h"
#include "plot/confidence_picture.h"
#include "plot/stereonet.h"
#include "runners/mim_runner.h"
#include "shell/file_chooser.h"

namespace {

std::string data_problem(const std::string& path, FaultSet& data) {
  StageResult error = read_data_file(path, data);
  if (!error) return "";
  std::string message = path + ": " + error->message;
  if (error->line) message += " " + std::to_string(*error->line);
  return message;
}

std::string report_text(const std::string& path, std::string& text, std::string& problem) {
  if (read_text_file(path, text) == TextRead::not_opened) problem = path + ": Report file not found";
  return text;
}

// The report of the run that wrote these results: its data count and its
// best state must be those of the data and the results file.
std::string cdm_report_problem(const std::string& path, const FaultSet& data,
                               const PlotResults& results, RunReport& run) {
  std::string text, error;
  if (report_text(path, text, error).empty() && !error.empty()) return error;
  std::optional<RunReport> report = parse_report_json(text, error);
  if (!report) return path + ": " + error;
  const CdmState& last = results.states.back();
  const BestStateReport* best = report->best ? &*report->best : nullptr;
  bool same = report->data_count == data.count && best != nullptr && best->grid_index >= 0 &&
              best->grid_index < GSS_SIZE && best->sigma1 == last.sigma1 &&
              best->sigma3 == last.sigma3 && std::lround(best->phi * 10) == last.phi_tenths;
  if (same && report->confidence) {
    for (const ResampledState& s : report->confidence->states)
      same = same && s.index >= 0 && s.index < GSS_SIZE && s.count > 0;
  }
  if (!same) return path + ": not the report of the run that wrote these results and data";
  run = *report;
  return "";
}

// Why the report does not belong to these data and results, or an
// empty text.
std::string report_mismatch(const FaultSet& data, const PlotResults& results,
                            const PopulationRunReport& report) {
  int64_t subsets = 0;
  for (const MimVote& v : results.votes) subsets += v.votes;
  if (report.data_count != data.count || report.subsets != subsets)
    return "not the report of the run that wrote these results and data";
  std::vector<bool> seen(static_cast<std::size_t>(data.count), false);
  auto take = [&](int32_t ordinal) {
    if (ordinal < 1 || ordinal > data.count || seen[static_cast<std::size_t>(ordinal - 1)])
      return false;
    seen[static_cast<std::size_t>(ordinal - 1)] = true;
    return true;
  };
  for (const PopulationReport& p : report.populations) {
    if (p.state.grid_index < 0 || p.state.grid_index >= GSS_SIZE ||
        p.state.misfits.size() != p.data.size())
      return "a population of the report is not one of this grid";
    for (int32_t ordinal : p.data)
      if (!take(ordinal)) return "the report gives a datum twice or one that is not there";
  }
  for (int32_t ordinal : report.unassigned)
    if (!take(ordinal)) return "the report gives a datum twice or one that is not there";
  return "";
}

// The population report of the sorvel-mim run that wrote these results.
std::string population_report_problem(const std::string& path, const FaultSet& data,
                                      const PlotResults& results, PopulationRunReport& run) {
  std::string text, error;
  if (report_text(path, text, error).empty() && !error.empty()) return error;
  std::optional<PopulationRunReport> report = parse_population_report_json(text, error);
  if (!report) return path + ": " + error;
  std::string mismatch = report_mismatch(data, results, *report);
  if (!mismatch.empty()) return path + ": " + mismatch;
  run = *report;
  return "";
}

// The picture and the lines of MIM results: the populations of the
// report, or, without one, those the population search finds again.
std::string mim_outputs(const PlotRequest& request, const Gss& gss, const FaultSet& data,
                        const PlotResults& results, const RunSettings& settings,
                        std::string& svg, std::string& lines) {
  const std::string& data_name = request.files[0];
  const std::string& results_name = request.files[1];
  PopulationRunReport run;
  if (!request.report.empty()) {
    std::string problem = population_report_problem(request.report, data, results, run);
    if (!problem.empty()) return problem;
  } else {
    AnalysisRun asked;
    asked.data_file = data_name;
    asked.results_file = results_name;
    asked.separation = request.separation;
    asked.confidence.resamples = DEFAULT_RESAMPLES;
    asked.confidence.seed = DEFAULT_SEED;
    asked.confidence.refine = true;  // as sorvel-mim separates by default
    std::string problem;
    run = populations_of_files(asked, data, results, settings, problem);
    if (!problem.empty()) return results_name + ": " + problem;
  }
  svg = population_picture(gss, data, data_name, results_name, results, run);
  lines = population_lines(run);
  return "";
}

}  // namespace

PlotOutcome plot_run(const PlotRequest& request, const RunSettings& settings) {
  PlotOutcome outcome;
  const std::string& data_name = request.files[0];
  const std::string& results_name = request.files[1];
  outcome.picture = request.files.size() == 3 ? request.files[2]
                                              : proposed_results_name(results_name, ".svg");
  const std::string& picture = outcome.picture;
  std::string& problem = outcome.problem;
  if (same_file(picture, data_name) || same_file(picture, results_name) ||
      (!request.report.empty() && same_file(picture, request.report)))
    return problem = picture + ": the picture would replace an input file", outcome;
  FaultSet data;
  if (problem = data_problem(data_name, data); !problem.empty()) return outcome;
  PlotResults results;
  std::string error;
  if (!read_results_file(results_name, results, error))
    return problem = results_name + ": " + error, outcome;
  if (results.kind == ResultsKind::mim && results.fault_count != data.count)
    return problem = results_name + ": made from " + std::to_string(results.fault_count) +
                     " data, but " + data_name + " holds " + std::to_string(data.count),
           outcome;
  Gss gss;
  if (!is_GSS_generation_successful(gss))
    return problem = "the grid of stress states cannot be generated", outcome;
  compute_stress_tensors(gss);
  std::string svg;
  if (results.kind == ResultsKind::mim) {
    problem = mim_outputs(request, gss, data, results, settings, svg, outcome.lines);
  } else if (!request.report.empty()) {
    RunReport run;
    problem = cdm_report_problem(request.report, data, results, run);
    if (problem.empty())
      svg = CDM_confidence_picture(data, data_name, results_name, run, gss.points.data());
  } else {
    svg = CDM_picture(gss, data, data_name, results_name, results);
  }
  if (problem.empty() && !write_text_file(picture, svg))
    problem = picture + ": the picture cannot be written";
  if (!problem.empty()) outcome.lines.clear();
  return outcome;
}
