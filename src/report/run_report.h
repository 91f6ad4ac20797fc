// The record of a CDM run that scripts and pictures read: the data, the
// best stress state with its quantities and its fit, and the confidence
// from the bootstrap. The JSON and CSV files and the words of the summary
// line are made from it.
#ifndef SORVEL_REPORT_RUN_REPORT_H_
#define SORVEL_REPORT_RUN_REPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/site.h"
#include "common/types.h"
#include "confidence/confidence_report.h"
#include "data/data_checks.h"
#include "grid/state_axes.h"
#include "stress/stress_quantities.h"

/// A state refined beyond the grid's spacing, reported beside the grid
/// state it was refined from.
struct RefinedStateReport {
  TrendPlunge sigma1, sigma2, sigma3;  // downward ends, degrees; sigma2 = sigma3 x sigma1
  double phi;
  StressRegime regime;
  std::optional<double> shmax;  // degrees, 0 to 180
  double r_prime;
  double mean_misfit;           // degrees
};

struct BestStateReport {
  int32_t grid_index;  // 0-based, in the grid as generated
  WholeDegreeAxis sigma1, sigma2, sigma3;
  double phi;
  StressRegime regime;
  std::optional<double> shmax;  // degrees, 0 to 180
  double r_prime;
  double mean_score;            // the summed score over the number of data
  double mean_misfit;           // degrees
  int32_t data_fitting;         // data with a misfit below fit_limit
  double fit_limit;             // degrees
  std::vector<long> misfits;    // whole degrees, in file order
  std::optional<RefinedStateReport> refined;  // none unless the run refines
};

struct RunReport {
  Site site;
  std::string data_file;
  std::string results_file;
  int32_t data_count = 0;
  std::string weight_function;            // "cosine", "linear", "tangent", "hyperbolic-tangent"
  std::optional<BestStateReport> best;    // none without data
  std::optional<Confidence> confidence;   // none without a bootstrap
  bool refine = false;                    // the run refines its states (CSV: their columns)
  std::optional<Confidence> refined_confidence;  // from the refined resamples
  std::string no_confidence;              // why there is none, for the reader
  std::vector<DatumWarning> warnings;     // of the checks of every datum
};

/// The best state `best_index` of `grid` (as generated, with its tensors)
/// with its summed score, described for `count` data (vectors set).
BestStateReport describe_best_state(const GridPoint* grid, int32_t best_index, int32_t score_sum,
                                    const FaultDatum* data, int32_t count);

/// The refined state `state` for `count` data (vectors set).
RefinedStateReport describe_refined_state(const ContinuousState& state, const FaultDatum* data,
                                          int32_t count);

/// What follows the present words of the summary line: ", regime NF,
/// SHmax 005, R' 0.5", then the confidence or why there is none, and the
/// refined state: ", refined sigma1 349.2/79.6, sigma3 095.1/03.2, Phi
/// 0.47".
std::string summary_words(const RunReport& report);

/// The refined state as the summary line ends: ", refined sigma1
/// 349.2/79.6, sigma3 095.1/03.2, Phi 0.47".
std::string refined_words(const RefinedStateReport& r);

/// True when a cone, in whole degrees, is at least the grid's spacing.
bool cone_resolved(double degrees);

/// A cone as the summary and the picture show it: "12" in whole
/// degrees, or "within the grid's spacing" when narrower than it.
std::string cone_text(double degrees);

#endif  // SORVEL_REPORT_RUN_REPORT_H_
