// sorvel-plot: draws a fault-slip data file and the results of an
// analysis (CDM or MIM) on a lower-hemisphere equal-area net, as SVG; for
// MIM results it also lists the run's populations. It is run after an
// analysis, often from scripts, so it takes its files from the command
// line and ends every failure with one message line.
#include <cstdio>
#include <optional>
#include <string>

#include "formats/run_report_file.h"
#include "platform/console_window.h"
#include "runners/plot_runner.h"
#include "shell/command_line.h"
#include "shell/console.h"
#include "shell/options.h"

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
    "Options for MIM results without a report, whose populations are then\n"
    "found again from the files as sorvel-mim finds them (see below):\n"
    "  --separation DEG     merge states closer than DEG degrees of stress\n"
    "                       difference (default 30)\n"
    "  --min-votes SHARE    drop populations with less than SHARE (0 to 1) of the\n"
    "                       votes of the most-voted one (default 0)\n"
    "  --fit DEG            a datum fits a state when its misfit is below DEG\n"
    "                       (default 30)\n"    "  --help, -h           this text\n"
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
    "For MIM results the picture and the standard output show the run's\n"
    "populations: those of its report (sorvel-mim --report FILE.json) or,\n"
    "without one, those sorvel-mim finds from the same files with the options\n"
    "above, each with the confidence of 1000 resamples of its data (seed 1).\n"
    "Standard output lists them as sorvel-mim does: one line gives their number\n"
    "and the rule that chose it, one line each population, then one line per\n"
    "datum:\n"
    "  Datum 1: Population 1, misfit 12\n"
    "  Datum 2: none                  (explained by no population)\n"
    "Axes are azimuth/plunge of the downward end in whole degrees. The picture\n"
    "shows the data coloured by their population (grey: none), the axes of each\n"
    "population's state S1, S2, ... with their 95 % cones, the density of the\n"
    "votes for sigma1 and for sigma3, and a table of the populations.\n";

static const char* const EXIT_HELP =
    "Exit status: 0 when the picture is written, 1 when a file is missing,\n"
    "unreadable or wrong (no picture is written then), 2 for a wrong command\n"
    "line (an unknown option, a missing or bad value, too few or too many\n"
    "files).\n";

static ProgramTexts plot_texts() {
  return {"sorvel-plot", "sorvel-plot [OPTIONS] DATA RESULTS [PICTURE]", ABOUT, EXIT_HELP};
}

static std::string read_request(const ParsedArguments& parsed, PlotRequest& request) {
  SeparationOptions& o = request.separation;
  std::string problem = read_number(parsed, "--separation", 0, false, 180, o.separation);
  if (problem.empty()) problem = read_number(parsed, "--min-votes", 0, true, 1, o.min_votes);
  if (problem.empty()) problem = read_number(parsed, "--fit", 0, false, 180, o.fit_limit);
  if (!problem.empty()) return problem;
  if (const std::string* report = given_value(parsed, "--report")) {
    if (report_format_of(*report) != ReportFormat::json)
      return "bad value for --report: " + *report + " (the run's FILE.json)";
    request.report = *report;
  }
  request.files = parsed.operands;
  if (request.files.size() < 2 || request.files.size() > 3)
    return "expected DATA RESULTS [PICTURE] (see sorvel-plot --help)";
  return "";
}

int main(int argc, char** argv) {
  prepare_console();
  ProgramTexts texts = plot_texts();
  ParsedArguments parsed;
  PlotRequest request;
  std::string problem = parse_arguments(argc, argv, PLOT_TABLE, parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  problem = read_request(parsed, request);
  if (!problem.empty()) return usage_error(texts, problem);
  PlotOutcome outcome = plot_run(request, console_run_settings(0, true));
  if (!outcome.problem.empty()) {
    flush_console();
    std::fprintf(stderr, "sorvel-plot: %s\n", outcome.problem.c_str());
    return 1;
  }
  std::fputs(outcome.lines.c_str(), stdout);
  std::printf("sorvel-plot: picture written to %s\n", outcome.picture.c_str());
  return 0;
}
