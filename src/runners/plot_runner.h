// What sorvel-plot runs: the data and a results file read and checked,
// with the run's report when given, and the picture that fits them
// written; for MIM results the populations of the run listed as
// sorvel-mim lists them.
#ifndef SORVEL_RUNNERS_PLOT_RUNNER_H_
#define SORVEL_RUNNERS_PLOT_RUNNER_H_

#include <string>
#include <vector>

#include "analyses/populations/population_search.h"
#include "common/run_settings.h"

/// What the command line asks for.
struct PlotRequest {
  std::vector<std::string> files;  // DATA RESULTS [PICTURE]
  SeparationOptions separation = DEFAULT_SEPARATION_OPTIONS;  // MIM results without a report
  std::string report;              // the JSON report of the run, or empty
};

/// What came of it: the lines for standard output and the picture
/// written, or the one problem (nothing written then).
struct PlotOutcome {
  std::string problem;  // empty when the picture is written
  std::string lines;    // each ended by a line end
  std::string picture;  // the picture's name
};

PlotOutcome plot_run(const PlotRequest& request, const RunSettings& settings);

#endif  // SORVEL_RUNNERS_PLOT_RUNNER_H_
