#include "report/run_report.h"

#include <cmath>
#include <cstdio>

#include "formats/state_text.h"
#include "grid/orientation.h"
#include "grid/state_axes.h"
#include "refine/continuous_fit.h"
#include "stress/data_fit.h"

namespace {

std::string interval_text(const Interval& i) {
  return one_decimal(i.low) + " to " + one_decimal(i.high);
}

}  // namespace

BestStateReport describe_best_state(const GridPoint* grid, int32_t best_index, int32_t score_sum,
                                    const FaultDatum* data, int32_t count) {
  const GridPoint& point = grid[best_index];
  BestStateReport best{};
  best.grid_index = best_index;
  StateAxes axes = state_axes(point);
  best.sigma1 = axes.sigma1;
  best.sigma2 = axes.sigma2;
  best.sigma3 = axes.sigma3;
  best.phi = grid_phi(point);
  StressQuantities q = stress_quantities(principal_axes(point), best.phi);
  best.regime = q.regime;
  best.shmax = q.shmax;
  best.r_prime = q.r_prime;
  best.mean_score = count > 0 ? static_cast<double>(score_sum) / count : 0.0;
  DataFit fit = data_fit(point.stress_tensor, data, count, DEFAULT_FIT_LIMIT_DEGREES);
  best.mean_misfit = fit.mean_misfit;
  best.data_fitting = fit.fitting;
  best.fit_limit = DEFAULT_FIT_LIMIT_DEGREES;
  best.misfits = fit.misfits;
  return best;
}

RefinedStateReport describe_refined_state(const ContinuousState& state, const FaultDatum* data,
                                          int32_t count) {
  RefinedStateReport r{};
  r.sigma1 = downward_trend_plunge(state.axes.sigma1);
  r.sigma2 = downward_trend_plunge(cross(state.axes.sigma3, state.axes.sigma1));
  r.sigma3 = downward_trend_plunge(state.axes.sigma3);
  r.phi = state.phi;
  StressQuantities q = stress_quantities(state.axes, state.phi);
  r.regime = q.regime;
  r.shmax = q.shmax;
  r.r_prime = q.r_prime;
  std::vector<double> angles(static_cast<std::size_t>(count));
  misfit_angles(state, slip_data(data, count), angles.data());
  double sum = 0.0;
  for (double a : angles) sum += a / DEGREE;
  r.mean_misfit = count > 0 ? sum / count : 0.0;
  return r;
}

std::string refined_words(const RefinedStateReport& r) {
  char phi[16];
  std::snprintf(phi, sizeof phi, "%.2f", r.phi);
  return ", refined sigma1 " + tenths_axis_text(r.sigma1.trend, r.sigma1.plunge) + ", sigma3 " +
         tenths_axis_text(r.sigma3.trend, r.sigma3.plunge) + ", Phi " + phi;
}

bool cone_resolved(double degrees) {
  return static_cast<double>(std::lround(degrees)) >= GRID_SPACING_DEGREES;
}

std::string cone_text(double degrees) {
  if (!cone_resolved(degrees)) return "within the grid's spacing";
  return std::to_string(std::lround(degrees));
}

std::string summary_words(const RunReport& report) {
  if (!report.best) return "";
  const BestStateReport& best = *report.best;
  std::string words = std::string(", regime ") + regime_code(best.regime) + ", SHmax " +
                      shmax_text(best.shmax) + ", R' " + one_decimal(best.r_prime);
  if (!report.confidence) {
    if (!report.no_confidence.empty()) words += ", no bootstrap (" + report.no_confidence + ")";
  } else {
    const Confidence& c = *report.confidence;
    words += ", 95 %: sigma1 cone " + cone_text(c.sigma1_cone) + ", sigma3 cone " +
             cone_text(c.sigma3_cone) + ", Phi " + interval_text(c.phi);
    if (c.shmax) words += ", SHmax " + shmax_text(c.shmax->low) + " to " + shmax_text(c.shmax->high);
    words += ", " + std::to_string(c.resamples) + " resamples";
  }
  if (best.refined) words += refined_words(*best.refined);
  return words;
}
