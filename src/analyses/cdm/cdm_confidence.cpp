#include "analyses/cdm/cdm_confidence.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/constants.h"
#include "confidence/bootstrap.h"
#include "grid/stress_order.h"
#include "formats/run_report_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// Quiet for the first second; then one line a second.
struct ResamplingProgress {
  const RunSettings* settings;
  Clock::time_point start;
  Clock::time_point shown;
};

void show_resampling(ResamplingProgress& progress, int32_t done, int32_t total) {
  Clock::time_point now = Clock::now();
  if (now - progress.start < std::chrono::seconds(1) ||
      now - progress.shown < std::chrono::seconds(1))
    return;
  progress.shown = now;
  char line[64];
  std::snprintf(line, sizeof line, "  * Resampling %4d %% *", static_cast<int>(100LL * done / total));
  report_progress_message(*progress.settings, line);
}

}  // namespace

RunReport CDM_confidence(const AnalysisRun& run, const RankedRun& ranked,
                         const std::string& weight_function, const RunSettings& settings) {
  RunReport report;
  const FaultSet& faults = ranked.tables.faults;
  const GridPoint* grid = ranked.tables.gss.points.data();
  const int32_t n = faults.count;
  report.site = run.confidence.site;
  report.data_file = run.data_file;
  report.results_file = run.results_file;
  report.data_count = n;
  report.weight_function = weight_function;
  report.warnings = run.data_warnings;
  if (n > 0)
    report.best = describe_best_state(grid, ranked.best.index, ranked.best.score_sum,
                                      faults.data.data(), n);
  const ConfidenceOptions& asked = run.confidence;
  if (n > 0 && n < MIN_BOOTSTRAP_DATA) {
    report.no_confidence = "fewer than " + std::to_string(MIN_BOOTSTRAP_DATA) + " data";
  } else if (n > 0 && asked.resamples > 0 && ranked.tables.table.scores != nullptr) {
    ResamplingProgress progress = {&settings, Clock::now(), Clock::now()};
    BootstrapResult result = bootstrap_best_states(
        ScoreTable{ranked.tables.table.scores.get(), GSS_SIZE, n},
        BootstrapSettings{asked.resamples, asked.seed, settings.threads, settings.reference},
        [&](int32_t done, int32_t total) { show_resampling(progress, done, total); },
        search_stress_order(ranked.tables.gss, settings.threads));
    if (!result.error.empty()) {
      report.no_confidence = result.error;
    } else {
      std::vector<int32_t> best;
      for (const ResampleBest& b : result.best) best.push_back(b.index);
      report.confidence = confidence_of_resamples(grid, ranked.best.index, best, asked.seed);
    }
  }
  std::string unused;
  if (std::optional<RunReport> written = parse_report_json(report_json(report), unused))
    report = *written;
  return report;
}
