#include "analyses/cdm/cdm_confidence.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "common/constants.h"
#include "confidence/bootstrap.h"
#include "plot/confidence_picture.h"
#include "report/report_files.h"
#include "shell/console.h"

namespace {

using Clock = std::chrono::steady_clock;

// Quiet for the first second; then one line a second.
class ResamplingProgress {
 public:
  void operator()(int32_t done, int32_t total) {
    Clock::time_point now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - shown_ < std::chrono::seconds(1)) return;
    shown_ = now;
    char line[64];
    std::snprintf(line, sizeof line, "  * Resampling %4d %% *", static_cast<int>(100LL * done / total));
    show_progress_message(line);
  }

 private:
  Clock::time_point start_ = Clock::now();
  Clock::time_point shown_ = start_;
};

}  // namespace

ConfidenceOutcome CDM_confidence(const ScoredRun& scored, const ConfidenceRequest& request) {
  ConfidenceOutcome outcome;
  RunReport& report = outcome.report;
  report.data_file = request.data_file;
  report.results_file = request.results_file;
  report.data_count = scored.columns;
  report.weight_function = request.weight_function;
  std::vector<FaultDatum> data(scored.data, scored.data + scored.columns);
  if (scored.columns > 0) {
    report.best = describe_best_state(scored.grid, scored.best_index, scored.best_sum, data.data(),
                                      scored.columns);
  }
  if (scored.columns > 0 && scored.columns < MIN_BOOTSTRAP_DATA) {
    report.no_confidence = "fewer than " + std::to_string(MIN_BOOTSTRAP_DATA) + " data";
  } else if (scored.columns > 0 && request.resamples > 0) {
    ResamplingProgress progress;
    BootstrapResult result = bootstrap_best_states(
        ScoreTable{scored.scores, GSS_SIZE, scored.columns},
        BootstrapSettings{request.resamples, request.seed, request.threads}, std::ref(progress));
    if (!result.error.empty()) {
      report.no_confidence = result.error;
    } else {
      std::vector<int32_t> best;
      for (const ResampleBest& b : result.best) best.push_back(b.index);
      report.confidence = confidence_of_resamples(scored.grid, scored.best_index, best, request.seed);
    }
  }
  // The report as its JSON file gives it (numbers rounded as written), so
  // that the run's picture is the one sorvel-plot draws from that file.
  std::string unused;
  if (std::optional<RunReport> written = parse_report_json(report_json(report), unused))
    report = *written;
  if (request.picture) {
    FaultSet set{static_cast<int16_t>(scored.columns), data.data()};
    outcome.picture = CDM_confidence_picture(set, request.data_file, request.results_file, report,
                                             scored.grid);
  }
  return outcome;
}
