#include "confidence/confidence_report.h"

#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "geometry/vectors.h"
#include "grid/state_axes.h"
#include "stress/stress_quantities.h"
#include "math/double_functions.h"

namespace {

const int LOW_PERMILLE = 25;
const int HIGH_PERMILLE = 975;
const int CONE_PERMILLE = 950;

double percentile(std::vector<double> values, int permille) {
  std::sort(values.begin(), values.end());
  return nearest_rank(values, permille);
}

Interval interval_of(const std::vector<double>& values) {
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  return Interval{nearest_rank(sorted, LOW_PERMILLE), nearest_rank(sorted, HIGH_PERMILLE)};
}

double half_turn(double degrees) {
  double a = std::fmod(degrees, 180.0);
  if (a < 0.0) a += 180.0;
  return a >= 180.0 ? 0.0 : a;
}

// The mean of axial directions in degrees (each counted with its
// opposite), from the mean of the doubled angles.
std::optional<double> axial_mean(const std::vector<double>& azimuths) {
  double x = 0.0, y = 0.0;
  for (double a : azimuths) {
    x += cos_d(pi_times_over_180(2.0 * a));
    y += sin_d(pi_times_over_180(2.0 * a));
  }
  if (std::sqrt(x * x + y * y) < 1e-9) return std::nullopt;
  return half_turn(times_180_over_pi(0.5 * atan2_d(y, x)));
}

// SHmax is an axis: each value is taken within 90 degrees of the centre
// before the percentiles, and the ends go back to 0 to 180.
std::optional<Interval> shmax_interval(const std::vector<double>& values,
                                       std::optional<double> centre) {
  if (values.empty()) return std::nullopt;
  if (!centre) centre = axial_mean(values);
  if (!centre) return std::nullopt;
  std::vector<double> near;
  for (double v : values) {
    double d = half_turn(v - *centre + 90.0) - 90.0;
    near.push_back(*centre + d);
  }
  Interval i = interval_of(near);
  return Interval{half_turn(i.low), half_turn(i.high)};
}

// What the resamples' states give, one value a resample (SHmax only where
// it is defined).
struct Spread {
  std::vector<double> sigma1, sigma3, phi, r_prime, shmax;
};

void fill_spread(Confidence& c, const Spread& spread, std::optional<double> best_shmax) {
  c.sigma1_cone = percentile(spread.sigma1, CONE_PERMILLE);
  c.sigma3_cone = percentile(spread.sigma3, CONE_PERMILLE);
  c.phi = interval_of(spread.phi);
  c.r_prime = interval_of(spread.r_prime);
  c.shmax = shmax_interval(spread.shmax, best_shmax);
  c.shmax_undefined = c.resamples - static_cast<int32_t>(spread.shmax.size());
}

struct StateValues {
  double sigma1_angle, sigma3_angle, phi, r_prime;
  std::optional<double> shmax;
};

}  // namespace

double nearest_rank(const std::vector<double>& sorted, int permille) {
  const std::size_t n = sorted.size();
  std::size_t rank = (static_cast<std::size_t>(permille) * n + 999) / 1000;
  rank = std::clamp<std::size_t>(rank, 1, n);
  return sorted[rank - 1];
}

Confidence confidence_of_resamples(const GridPoint* grid, int32_t best_index,
                                   const std::vector<int32_t>& resample_best, uint64_t seed) {
  Confidence c{};
  c.level = CONFIDENCE_LEVEL;
  c.resamples = static_cast<int32_t>(resample_best.size());
  c.seed = seed;
  std::vector<int32_t> sorted = resample_best;
  std::sort(sorted.begin(), sorted.end());
  for (int32_t index : sorted) {
    if (!c.states.empty() && c.states.back().index == index) ++c.states.back().count;
    else c.states.push_back(ResampledState{index, 1});
  }
  const PrincipalAxes best = principal_axes(grid[best_index]);
  const StressQuantities best_quantities = stress_quantities(best, grid_phi(grid[best_index]));
  std::vector<double> sigma1, sigma3, phi, r, shmax;
  int32_t best_count = 0;
  for (const ResampledState& s : c.states) {
    const GridPoint& point = grid[s.index];
    PrincipalAxes axes = principal_axes(point);
    StressQuantities q = stress_quantities(axes, grid_phi(point));
    StateValues v{axis_angle(axes.sigma1, best.sigma1), axis_angle(axes.sigma3, best.sigma3),
                  grid_phi(point), q.r_prime, q.shmax};
    if (s.index == best_index) {
      v.sigma1_angle = v.sigma3_angle = 0.0;
      best_count = s.count;
    }
    for (int32_t i = 0; i < s.count; ++i) {
      sigma1.push_back(v.sigma1_angle);
      sigma3.push_back(v.sigma3_angle);
      phi.push_back(v.phi);
      r.push_back(v.r_prime);
      if (v.shmax) shmax.push_back(*v.shmax);
    }
  }
  fill_spread(c, Spread{sigma1, sigma3, phi, r, shmax}, best_quantities.shmax);
  c.best_share = static_cast<double>(best_count) / c.resamples;
  return c;
}

Confidence confidence_of_states(const ContinuousState& best,
                                const std::vector<ContinuousState>& resample_states, uint64_t seed) {
  Confidence c{};
  c.level = CONFIDENCE_LEVEL;
  c.resamples = static_cast<int32_t>(resample_states.size());
  c.seed = seed;
  Spread spread;
  for (const ContinuousState& s : resample_states) {
    StressQuantities q = stress_quantities(s.axes, s.phi);
    spread.sigma1.push_back(axis_angle(s.axes.sigma1, best.axes.sigma1));
    spread.sigma3.push_back(axis_angle(s.axes.sigma3, best.axes.sigma3));
    spread.phi.push_back(s.phi);
    spread.r_prime.push_back(q.r_prime);
    if (q.shmax) spread.shmax.push_back(*q.shmax);
  }
  fill_spread(c, spread, stress_quantities(best.axes, best.phi).shmax);
  return c;
}
