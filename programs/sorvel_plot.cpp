// sorvel-plot: draws a fault-slip data file and the results of an
// analysis (CDM or MIM) on a lower-hemisphere equal-area net, as SVG.
// It is run after an analysis, often from scripts, so it takes its files
// from the command line and ends every failure with one message line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/results_file.h"
#include "data/fault_data_reader.h"
#include "grid/gss.h"
#include "plot/results_reader.h"
#include "plot/stereonet.h"
#include "shell/console.h"

static const char* const USAGE =
    "Usage: sorvel-plot DATA RESULTS [PICTURE]\n"
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
    "A CDM picture shows the fault planes and their hanging-wall slip, the\n"
    "sigma1 and sigma3 axes of the best 1 % of the stress states shaded by\n"
    "fitness, the axes of the best state, and a chart of Phi among the best.\n"
    "A MIM picture shows the axes of every voted state sized by its votes and\n"
    "a table of the ten most-voted states.\n"
    "\n"
    "Exit status: 0 when the picture is written, 1 on any error (no picture\n"
    "is written then).\n";

[[noreturn]] static void fail(const std::string& message) {
  flush_console();
  std::fprintf(stderr, "sorvel-plot: %s\n", message.c_str());
  std::exit(1);
}

// RESULTS with its extension replaced by ".svg" (appended when it has none).
static std::string default_picture_name(const std::string& results) {
  size_t slash = results.find_last_of('/');
  size_t dot = results.find_last_of('.');
  bool has_extension = dot != std::string::npos && dot > 0 &&
                       (slash == std::string::npos || dot > slash + 1);
  return (has_extension ? results.substr(0, dot) : results) + ".svg";
}

static void load_data(const std::string& path, FaultSet& data) {
  DataFileError error;
  if (load_fault_data(path, data, error)) return;
  std::string message = path + ": " + error.message;
  if (error.line > 0) message += " " + std::to_string(error.line);
  fail(message);
}

static void write_picture(const std::string& path, const std::string& text) {
  ResultsFile file;
  if (!results_file_open(file, path)) fail(path + ": the picture cannot be written");
  const size_t chunk = 65536;
  for (size_t at = 0; at < text.size(); at += chunk) results_file_write(file, text.substr(at, chunk));
  if (!results_file_commit(file)) fail(path + ": the picture cannot be written");
}

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  if (argc < 3 || argc > 4)
    fail("expected DATA RESULTS [PICTURE] (see sorvel-plot --help)");
  std::string data_name = argv[1], results_name = argv[2];
  std::string picture = argc == 4 ? argv[3] : default_picture_name(results_name);
  if (picture == data_name || picture == results_name)
    fail(picture + ": the picture would replace an input file");

  FaultSet data{0, nullptr};
  load_data(data_name, data);
  PlotResults results;
  std::string error;
  if (!read_results_file(results_name, results, error)) fail(results_name + ": " + error);
  if (results.kind == ResultsKind::mim && results.fault_count != data.count)
    fail(results_name + ": made from " + std::to_string(results.fault_count) + " data, but " +
         data_name + " holds " + std::to_string(data.count));
  if (!is_GSS_generation_successful()) fail("the grid of stress states cannot be generated");

  std::string text = results.kind == ResultsKind::cdm
                         ? CDM_picture(data, data_name, results_name, results)
                         : MIM_picture(data, data_name, results_name, results);
  write_picture(picture, text);
  std::printf("sorvel-plot: picture written to %s\n", picture.c_str());
  std::free(data.data);
  return 0;
}
