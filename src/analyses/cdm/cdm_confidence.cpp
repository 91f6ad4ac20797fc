#include "analyses/cdm/cdm_confidence.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/constants.h"
#include "confidence/bootstrap.h"
#include "fitness/weight_functions.h"
#include "refine/resample_refinement.h"
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

// The grid states that the best state's refinement may start from, best
// first.
std::vector<int32_t> best_grid_states(const Ranking& ranking) {
  constexpr std::size_t LOOKED_AT = 4;
  const std::vector<int32_t>& order = ranking.order;  // the best last
  std::vector<int32_t> best;
  for (std::size_t i = order.size(); i > 0 && best.size() < LOOKED_AT; --i) best.push_back(order[i - 1]);
  return best;
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
  const ConfidenceOptions& asked = run.confidence;
  const WeightFunction& weight = weight_function_of(run.weight_id);
  const SlipData slips = slip_data(faults.data.data(), n);
  std::optional<ContinuousState> refined;
  report.refine = asked.refine;
  if (n > 0) {
    report.best = describe_best_state(grid, ranked.best.index, ranked.best.score_sum,
                                      faults.data.data(), n);
    if (asked.refine) {
      refined = refine_from_starts(refinement_starts(grid, best_grid_states(ranked.ranking)), slips, weight).state;
      report.best->refined = describe_refined_state(*refined, faults.data.data(), n);
    }
  }
  if (n > 0 && n < MIN_BOOTSTRAP_DATA) {
    report.no_confidence = "fewer than " + std::to_string(MIN_BOOTSTRAP_DATA) + " data";
  } else if (n > 0 && asked.resamples > 0 &&
             (ranked.tables.table.scores != nullptr || !ranked.resample_best.empty())) {
    std::vector<int32_t> best = ranked.resample_best;
    if (best.empty()) {
      ResamplingProgress progress = {&settings, Clock::now(), Clock::now()};
      const std::vector<int32_t>& rows = ranked.tables.table.rows;
      BootstrapResult result = bootstrap_best_states(
          ScoreTable{ranked.tables.table.scores.get(), GSS_SIZE, n, rows.empty() ? nullptr : rows.data()},
          BootstrapSettings{asked.resamples, asked.seed, settings.threads, settings.reference},
          [&](int32_t done, int32_t total) { show_resampling(progress, done, total); },
          rows.empty() ? search_stress_order(ranked.tables.gss, settings.threads) : std::vector<int32_t>{});
      report.no_confidence = result.error;
      for (const ResampleBest& b : result.best) best.push_back(b.index);
    }
    if (report.no_confidence.empty()) {
      report.confidence = confidence_of_resamples(grid, ranked.best.index, best, asked.seed);
      if (refined) {
        ResampleRefinementRun refining{&slips, &weight, grid, asked.seed, settings.threads};
        report.refined_confidence =
            confidence_of_states(*refined, refine_resamples(refining, *refined, best), asked.seed);
      }
    }
  }
  report = report_as_written(report);
  report.refine = asked.refine;
  return report;
}
