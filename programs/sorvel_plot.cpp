// sorvel-plot: draws a fault-slip data file and the results of an
// analysis (CDM or MIM) on a lower-hemisphere equal-area net, as SVG; for
// MIM results it also lists the stress states found and the data that fit
// each. It is run after an analysis, often from scripts, so it takes its
// files from the command line and ends every failure with one message line.
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/results_file.h"
#include "data/data_file.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "analyses/mim/mim_populations.h"
#include "formats/population_report_file.h"
#include "plot/mim_picture.h"
#include "plot/population_picture.h"
#include "plot/confidence_picture.h"
#include "plot/mim_report.h"
#include "formats/results_reader.h"
#include "plot/stereonet.h"
#include "formats/run_report_file.h"
#include "shell/console.h"
#include "shell/file_chooser.h"
#include "shell/options.h"
#include "platform/console_window.h"

static const char* const ABOUT =
    "\n"
    "Draws the fault-slip data file DATA and the results file RESULTS of a\n"
    "sorvel analysis on a lower-hemisphere equal-area (Schmidt) net and\n"
    "writes the picture as SVG, readable in any web browser.\n"
    "\n"
    "  DATA     the fault-slip data file the analysis read (*.fdt, *.txt)\n"
    "  RESULTS  a CDM results file (59400 lines, the best stress states last)\n"
    "           or a MIM results file (the votes of the data subsets); the\n"
    "           kind is recognised from the content\n"
    "  PICTURE  the SVG file to write; by default RESULTS with its extension\n"
    "           replaced by .svg\n"
    "\n"
    "  --report FILE.json   the JSON report of the run that wrote RESULTS:\n"
    "                       with CDM results (sorvel --report) the picture shows\n"
    "                       the confidence of the bootstrap in place of the best\n"
    "                       1 %; with MIM results (sorvel-mim --report) it shows\n"
    "                       the run's populations with their 95 % cones, and the\n"
    "                       options below are not used\n"
    "\n"
    "Options for MIM results without a report:\n"
    "  --separation DEG     stress states found are vote peaks at least DEG\n"
    "                       apart (default 50); see below\n"
    "  --min-votes FRACTION keep peaks with at least FRACTION of the votes of\n"
    "                       the strongest one, 0 to 1 (default 0.2)\n"
    "  --fit DEG            a datum fits a state when its misfit is below DEG\n"
    "                       (default 30)\n"
    "  --help, -h           this text\n"
    "  --version            the version\n"
    "A value may also follow an equals sign (--fit=20).\n"
    "\n"
    "A CDM picture shows the fault planes and their hanging-wall slip, the\n"
    "sigma1 and sigma3 axes of the best 1 % of the stress states shaded by\n"
    "fitness, the axes of the best state, a chart of Phi among the best and\n"
    "the Mohr diagram of the best state. With --report it shows instead the\n"
    "sigma1 and sigma3 axes of the resamples' best states with their 95 %\n"
    "cones, a histogram of their Phi, SHmax on the primitive circle, and the\n"
    "regime, R' and the confidence in the caption.\n"
    "\n"
    "For MIM results the stress states found are the peaks of the votes: a\n"
    "voted state is a peak when no state with more votes (or as many, and a\n"
    "lower grid index) lies closer than the separation. The stress difference\n"
    "of two states is the angle between their deviatoric stress tensors, each\n"
    "scaled to unit length: 0 the same state, 180 the opposite one; at Phi\n"
    "0.5 turning the axes by t about sigma2 gives 2t, about sigma1 or sigma3\n"
    "about t; Phi 0 against 1 on the same axes gives 60.\n"
    "The misfit of a datum under a state is the angle in whole degrees\n"
    "between its observed slip and the shear the state drives on its plane;\n"
    "each datum is assigned to the state it fits best. Standard output lists\n"
    "one line per state found, most votes first, then one line per datum:\n"
    "  State 1: sigma1 204/06, sigma2 114/02, sigma3 004/83, Phi 0.6, votes 6100, data fitting 27\n"
    "  Datum 1: State 1, misfit 12    (the state it is assigned to)\n"
    "  Datum 2: none, misfit 47       (fits no state; its least misfit)\n"
    "(\"Datum 3: none\" alone when no state was found). Axes are azimuth/plunge\n"
    "of the downward end in whole degrees; \"data fitting\" counts every datum\n"
    "whose misfit under that state is below the limit. The picture shows the\n"
    "data coloured by their state (grey: none), the axes of each state S1,\n"
    "S2, ..., the density of the votes for sigma1 and for sigma3, and a table\n"
    "of the states found.\n";

static const char* const EXIT_HELP =
    "Exit status: 0 when the picture is written, 1 when a file is missing,\n"
    "unreadable or wrong (no picture is written then), 2 for a wrong command\n"
    "line (an unknown option, a missing or bad value, too few or too many\n"
    "files).\n";

/// What the command line asks for.
struct PlotCommand {
  std::vector<std::string> files;  // DATA RESULTS [PICTURE]
  PeakOptions peaks = DEFAULT_PEAK_OPTIONS;
  double fit_limit = DEFAULT_FIT_LIMIT_DEGREES;  // degrees
  std::string report;                    // the JSON report of the run, or empty
};

[[noreturn]] static void fail(const std::string& message) {
  flush_console();
  std::fprintf(stderr, "sorvel-plot: %s\n", message.c_str());
  std::exit(1);
}

static ProgramTexts plot_texts() {
  return {"sorvel-plot", "sorvel-plot [OPTIONS] DATA RESULTS [PICTURE]", ABOUT, EXIT_HELP};
}

// A number from low to high (low itself only when `low_included`).
static std::optional<double> option_value(const std::string& text, double low, bool low_included,
                                          double high) {
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  bool above_low = low_included ? value >= low : value > low;
  if (text.empty() || *end != '\0' || !above_low || !(value <= high)) return std::nullopt;
  return value;
}

// The option's value into `value` when given; the usage problem, or an empty text.
static std::string read_value(const ParsedArguments& parsed, const std::string& name, double low,
                              bool low_included, double high, double& value) {
  const std::string* text = given_value(parsed, name);
  if (text == nullptr) return "";
  std::optional<double> number = option_value(*text, low, low_included, high);
  if (!number) return "bad value for " + name + ": " + *text;
  value = *number;
  return "";
}

static std::string read_plot_command(const ParsedArguments& parsed, PlotCommand& command) {
  std::string problem = read_value(parsed, "--separation", 0, false, 180, command.peaks.separation);
  if (problem.empty())
    problem = read_value(parsed, "--min-votes", 0, true, 1, command.peaks.min_votes);
  if (problem.empty()) problem = read_value(parsed, "--fit", 0, false, 180, command.fit_limit);
  if (!problem.empty()) return problem;
  if (const std::string* report = given_value(parsed, "--report")) {
    if (report_format_of(*report) != ReportFormat::json)
      return "bad value for --report: " + *report + " (the run's FILE.json)";
    command.report = *report;
  }
  command.files = parsed.operands;
  if (command.files.size() < 2 || command.files.size() > 3)
    return "expected DATA RESULTS [PICTURE] (see sorvel-plot --help)";
  return "";
}

static void load_data(const std::string& path, FaultSet& data) {
  StageResult error = read_data_file(path, data);
  if (!error) return;
  std::string message = path + ": " + error->message;
  if (error->line) message += " " + std::to_string(*error->line);
  fail(message);
}

static void write_picture(const std::string& path, const std::string& text) {
  ResultsFile file;
  if (!results_file_open(file, path)) fail(path + ": the picture cannot be written");
  const size_t chunk = 65536;
  for (size_t at = 0; at < text.size(); at += chunk) results_file_write(file, text.substr(at, chunk));
  if (!results_file_commit(file)) fail(path + ": the picture cannot be written");
}

static std::string report_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(path + ": Report file not found");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The report of the run that wrote these results: its data count and its
// best state must be those of the data and the results file.
static RunReport read_report(const std::string& path, const FaultSet& data,
                             const PlotResults& results) {
  std::string error;
  std::optional<RunReport> report = parse_report_json(report_text(path), error);
  if (!report) fail(path + ": " + error);
  const CdmState& last = results.states.back();
  const BestStateReport* best = report->best ? &*report->best : nullptr;
  bool same = report->data_count == data.count && best != nullptr && best->grid_index >= 0 &&
              best->grid_index < GSS_SIZE && best->sigma1.azimuth == last.s1_azimuth &&
              best->sigma1.plunge == last.s1_plunge && best->sigma3.azimuth == last.s3_azimuth &&
              best->sigma3.plunge == last.s3_plunge && std::lround(best->phi * 10) == last.phi_tenths;
  if (same && report->confidence) {
    for (const ResampledState& s : report->confidence->states)
      same = same && s.index >= 0 && s.index < GSS_SIZE && s.count > 0;
  }
  if (!same) fail(path + ": not the report of the run that wrote these results and data");
  return *report;
}

// The population report of the sorvel-mim run that wrote these results.
static PopulationRunReport read_population_report(const std::string& path, const FaultSet& data,
                                                  const PlotResults& results) {
  std::string error;
  std::optional<PopulationRunReport> report = parse_population_report_json(report_text(path), error);
  if (!report) fail(path + ": " + error);
  std::string mismatch = report_mismatch(data, results, *report);
  if (!mismatch.empty()) fail(path + ": " + mismatch);
  return *report;
}

int main(int argc, char** argv) {
  prepare_console();
  ProgramTexts texts = plot_texts();
  ParsedArguments parsed;
  PlotCommand command;
  std::string problem = parse_arguments(argc, argv, PLOT_TABLE, parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  problem = read_plot_command(parsed, command);
  if (!problem.empty()) return usage_error(texts, problem);
  const std::string& data_name = command.files[0];
  const std::string& results_name = command.files[1];
  std::string picture =
      command.files.size() == 3 ? command.files[2] : proposed_results_name(results_name, ".svg");
  if (same_file(picture, data_name) || same_file(picture, results_name) ||
      (!command.report.empty() && same_file(picture, command.report)))
    fail(picture + ": the picture would replace an input file");

  FaultSet data;
  load_data(data_name, data);
  PlotResults results;
  std::string error;
  if (!read_results_file(results_name, results, error)) fail(results_name + ": " + error);
  if (results.kind == ResultsKind::mim && results.fault_count != data.count)
    fail(results_name + ": made from " + std::to_string(results.fault_count) + " data, but " +
         data_name + " holds " + std::to_string(data.count));
  Gss gss;
  if (!is_GSS_generation_successful(gss)) fail("the grid of stress states cannot be generated");

  compute_stress_tensors(gss);
  std::string report;
  if (results.kind == ResultsKind::mim && !command.report.empty()) {
    PopulationRunReport run = read_population_report(command.report, data, results);
    write_picture(picture, population_picture(gss, data, data_name, results_name, results, run));
    report = population_lines(run);
  } else if (results.kind == ResultsKind::cdm && !command.report.empty()) {
    RunReport run = read_report(command.report, data, results);
    write_picture(picture, CDM_confidence_picture(data, data_name, results_name, run,
                                                  gss.points.data()));
  } else if (results.kind == ResultsKind::cdm) {
    write_picture(picture, CDM_picture(gss, data, data_name, results_name, results));
  } else {
    MimFindings findings = find_mim_states(gss, data, results, command.peaks, command.fit_limit);
    write_picture(picture, MIM_picture(gss, data, data_name, results_name, results, findings));
    report = MIM_report(gss, findings);
  }
  std::fputs(report.c_str(), stdout);
  std::printf("sorvel-plot: picture written to %s\n", picture.c_str());
  return 0;
}
