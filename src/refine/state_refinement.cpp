#include "refine/state_refinement.h"

#include <algorithm>
#include <cmath>

namespace {

// The central differences step at most half a degree of turn (and 0.01
// of Phi), far below the grid's spacing; near the top they shrink with
// the steps, since a datum on a plane of little shear turns its
// predicted slip fast and its score is far from quadratic within half a
// degree, down to 0.006 degrees, still far above the rounding of the
// sums.
const double LARGEST_DIFFERENCE = 0.01;  // radians
const double SMALLEST_DIFFERENCE = 1e-4;
// The differences that end a search: 0.06 degrees.
const double FINE_DIFFERENCE = 1e-3;

// A tenth of Phi weighs as much as ten degrees of turn (0.175 radians).
const double PHI_PER_RADIAN = 0.6;

// The trust region: first about 6 degrees, never more than 20; the search
// ends when it has shrunk below a thousandth of a degree, or when a step
// moves the axes less than 0.006 degrees and Phi less than 0.0001, well
// within the tenth of a degree and the hundredth of Phi that are reported.
const double LARGEST_RADIUS = 0.35;
const double SMALLEST_RADIUS = 1.7e-5;
const double CONVERGED_TURN = 1e-4;
const double CONVERGED_PHI = 1e-4;
const int MAX_ITERATIONS = 30;
const int CHEAP_STEPS_PER_DIFFERENCE = 4;

// The smoothing of a fit: 0.45 of its median misfit (the fit's tops
// merge and the truth is nearest on synthetic data of 5 to 20 degrees
// of error), at most 8 degrees, none below a twentieth of a degree.
const double SMOOTHING_PER_MISFIT = 0.45;
const double LARGEST_SMOOTHING = 8.0;
const double SMALLEST_SMOOTHING = 0.05;
// No more data than a state has parameters (three of turn, Phi) can be
// fitted exactly by a whole family of states: their misfits say nothing
// of the data's scatter, and none is smoothed.
const int32_t FEWEST_SMOOTHED = 5;

// A rough climb, the start of a finer one, ends where its model's top
// lies within 0.06 degrees and 0.001 of Phi.
const double ROUGH_TURN = 1e-3;
const double ROUGH_PHI = 1e-3;

// Whether the curvature of the last differences still holds where the
// search has moved since: on a fit smoothed over h degrees, within a
// quarter of h, as the smoothed scores change little over it. A top found
// there needs no differences afresh to confirm it.
bool curvature_holds(double moved, const SlipData& data) {
  return data.smoothing > 0.0 && 4.0 * moved <= data.smoothing * DEGREE;
}

// The positions of the upper triangle's terms.
int term(int i, int j) {
  static const int INDEX[4][4] = {{0, 1, 2, 3}, {1, 4, 5, 6}, {2, 5, 7, 8}, {3, 6, 8, 9}};
  return INDEX[i][j];
}

StateStep unit_step(int i, double size) {
  StateStep s{{0.0, 0.0, 0.0}, 0.0};
  if (i == 0) s.turn.x = size;
  if (i == 1) s.turn.y = size;
  if (i == 2) s.turn.z = size;
  if (i == 3) s.phi = size;
  return s;
}

StateStep sum_of(StateStep a, StateStep b) {
  return StateStep{{a.turn.x + b.turn.x, a.turn.y + b.turn.y, a.turn.z + b.turn.z}, a.phi + b.phi};
}

// Solves A x = b for the symmetric positive definite m x m matrix A
// (m <= 4) by Cholesky's factors; false when A is not positive definite.
bool solve_positive(int m, const double a[4][4], const double b[4], double x[4]) {
  double l[4][4] = {};
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j <= i; ++j) {
      double s = a[i][j];
      for (int k = 0; k < j; ++k) s -= l[i][k] * l[j][k];
      if (i == j) {
        if (!(s > 0.0)) return false;
        l[i][i] = std::sqrt(s);
      } else {
        l[i][j] = s / l[j][j];
      }
    }
  }
  double y[4];
  for (int i = 0; i < m; ++i) {
    double s = b[i];
    for (int k = 0; k < i; ++k) s -= l[i][k] * y[k];
    y[i] = s / l[i][i];
  }
  for (int i = m - 1; i >= 0; --i) {
    double s = y[i];
    for (int k = i + 1; k < m; ++k) s -= l[k][i] * x[k];
    x[i] = s / l[i][i];
  }
  return true;
}

// The Newton step of the first m parameters, A = -curvature, b = gradient
// less what a fixed change `fixed_phi` of Phi contributes; where A is not
// positive definite (not near a top), a multiple of the identity is added
// until it is, which turns the step towards the gradient.
void damped_newton(const ScoreModel& model, int m, double fixed_phi, double x[4]) {
  double a[4][4], b[4], largest = 0.0;
  for (int i = 0; i < m; ++i) {
    b[i] = model.gradient[i] + (m < 4 ? model.curvature[i][3] * fixed_phi : 0.0);
    for (int j = 0; j < m; ++j) a[i][j] = -model.curvature[i][j];
    largest = std::max(largest, std::fabs(a[i][i]));
  }
  double damping = 0.0;
  for (int attempt = 0; attempt < 40; ++attempt) {
    double damped[4][4];
    for (int i = 0; i < m; ++i)
      for (int j = 0; j < m; ++j) damped[i][j] = a[i][j] + (i == j ? damping : 0.0);
    if (solve_positive(m, damped, b, x)) return;
    damping = damping == 0.0 ? 1e-6 * (largest + 1.0) : 4.0 * damping;
  }
  for (int i = 0; i < m; ++i) x[i] = b[i];  // the gradient, scaled by the trust region
}

StateStep scaled_to(StateStep s, double radius) {
  double size = step_size(s);
  if (size <= radius || size == 0.0) return s;
  double f = radius / size;
  return StateStep{{s.turn.x * f, s.turn.y * f, s.turn.z * f}, s.phi * f};
}

ContinuousState clamped(ContinuousState s) {
  s.phi = std::clamp(s.phi, 0.0, 1.0);
  return s;
}

}  // namespace

double step_size(const StateStep& s) {
  return std::max(std::sqrt(dot(s.turn, s.turn)), std::fabs(s.phi) / PHI_PER_RADIAN);
}

ContinuousState moved_state(const ContinuousState& state, const StateStep& step) {
  ContinuousState moved = state;
  moved.phi = state.phi + step.phi;
  double angle = std::sqrt(dot(step.turn, step.turn));
  if (angle == 0.0) return moved;
  Vec3d k{step.turn.x / angle, step.turn.y / angle, step.turn.z / angle};
  Vec3d e1 = unit_vector(turned(state.axes.sigma1, k, angle / DEGREE));
  Vec3d e2 = turned(state.axes.sigma2, k, angle / DEGREE);
  // Kept orthonormal to the last bit over many steps.
  Vec3d e3 = unit_vector(cross(e1, e2));
  moved.axes = PrincipalAxes{e1, cross(e3, e1), e3};
  return moved;
}

double difference_step(double last_step) {
  return std::clamp(0.5 * last_step, SMALLEST_DIFFERENCE, LARGEST_DIFFERENCE);
}

void datum_derivatives(const ContinuousState& at, const SlipData& data,
                       const WeightFunction& weight, double h, DatumDerivatives& out) {
  const double STEPS[4] = {h, h, h, h};
  const std::size_t n = static_cast<std::size_t>(data.count);
  std::vector<double> plus(n), minus(n), scratch(n);
  out.value.resize(n);
  continuous_scores(at, data, weight, out.value.data());
  for (int i = 0; i < 4; ++i) {
    continuous_scores(moved_state(at, unit_step(i, STEPS[i])), data, weight, plus.data());
    continuous_scores(moved_state(at, unit_step(i, -STEPS[i])), data, weight, minus.data());
    std::vector<double>& g = out.gradient[i];
    std::vector<double>& c = out.curvature[term(i, i)];
    g.resize(n);
    c.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
      g[j] = (plus[j] - minus[j]) / (2.0 * h);
      c[j] = (plus[j] - 2.0 * out.value[j] + minus[j]) / (h * h);
    }
  }
  for (int i = 0; i < 4; ++i) {
    for (int k = i + 1; k < 4; ++k) {
      std::vector<double>& c = out.curvature[term(i, k)];
      c.assign(n, 0.0);
      for (int corner = 0; corner < 4; ++corner) {
        double si = corner & 1 ? -1.0 : 1.0, sk = corner & 2 ? -1.0 : 1.0;
        StateStep s = sum_of(unit_step(i, si * STEPS[i]), unit_step(k, sk * STEPS[k]));
        continuous_scores(moved_state(at, s), data, weight, scratch.data());
        const double f = si * sk / (4.0 * STEPS[i] * STEPS[k]);
        for (std::size_t j = 0; j < n; ++j) c[j] += f * scratch[j];
      }
    }
  }
}

ScoreModel score_model(const DatumDerivatives& d, const double* counts, int32_t n) {
  ScoreModel m{};
  m.value = counted_sum(d.value.data(), counts, n);
  for (int i = 0; i < 4; ++i) m.gradient[i] = counted_sum(d.gradient[i].data(), counts, n);
  for (int i = 0; i < 4; ++i)
    for (int k = i; k < 4; ++k)
      m.curvature[i][k] = m.curvature[k][i] = counted_sum(d.curvature[term(i, k)].data(), counts, n);
  return m;
}

StateStep model_step(const ScoreModel& model, double phi, double radius) {
  double x[4] = {0.0, 0.0, 0.0, 0.0};
  damped_newton(model, 4, 0.0, x);
  StateStep s = scaled_to(StateStep{{x[0], x[1], x[2]}, x[3]}, radius);
  if (phi + s.phi >= 0.0 && phi + s.phi <= 1.0) return s;
  // Phi against its bound: the turn that is best with Phi there.
  double fixed = (phi + s.phi > 1.0 ? 1.0 : 0.0) - phi;
  damped_newton(model, 3, fixed, x);
  StateStep turn = scaled_to(StateStep{{x[0], x[1], x[2]}, 0.0}, radius);
  return StateStep{turn.turn, fixed};
}

bool climb_step(const ScoreModel& model, const SlipData& data, const WeightFunction& weight,
                const double* counts, Climb& climb, StateStep& taken, double* scores) {
  while (climb.radius >= SMALLEST_RADIUS) {
    StateStep step = model_step(model, climb.at.state.phi, climb.radius);
    ContinuousState candidate = clamped(moved_state(climb.at.state, step));
    double sum = continuous_score_sum(candidate, data, weight, counts, scores);
    if (sum > climb.at.score_sum) {
      if (step_size(step) > 0.5 * climb.radius)
        climb.radius = std::min(2.0 * climb.radius, LARGEST_RADIUS);
      climb.at = RefinedState{candidate, sum};
      taken = step;
      return true;
    }
    climb.radius = 0.25 * std::min(climb.radius, step_size(step));
  }
  return false;
}

bool step_converged_within(const StateStep& step, double turn, double phi) {
  return std::sqrt(dot(step.turn, step.turn)) < turn && std::fabs(step.phi) < phi;
}

bool step_converged(const StateStep& step) {
  return step_converged_within(step, CONVERGED_TURN, CONVERGED_PHI);
}

RefinedState refine_state(const ContinuousState& start, double start_sum, const SlipData& data,
                          const WeightFunction& weight, const double* counts, RefineWork& work) {
  work.scores.resize(static_cast<std::size_t>(data.count));
  Climb climb{RefinedState{start, start_sum}, FIRST_CLIMB_RADIUS};
  double h = LARGEST_DIFFERENCE;
  ScoreModel model{};
  // The differences cost 33 sums, each of eight turns when smoothed.
  // Where the work asks it, after a step that the model foresaw well (taken
  // within the trust radius it was offered) the model keeps its
  // curvature, which changes little from step to step, and takes the
  // gradient at the new state (eight passes over the data); after one it
  // did not, it is differenced afresh. At most MAX_ITERATIONS differences,
  // and CHEAP_STEPS_PER_DIFFERENCE steps for each.
  const bool keeps_curvature = work.keep_curvature;
  bool differenced_here = false, difference = true;
  int differences = 0;
  double moved = 0.0;  // the turn since the last differences, radians
  for (int iteration = 0; iteration < CHEAP_STEPS_PER_DIFFERENCE * MAX_ITERATIONS; ++iteration) {
    if (difference) {
      if (differences++ == MAX_ITERATIONS) break;
      datum_derivatives(climb.at.state, data, weight, h, work.derivatives);
      model = score_model(work.derivatives, counts, data.count);
      differenced_here = true;
      moved = 0.0;
      difference = false;
    }
    // Converged when the model's own step is small, not when the trust
    // region has made it so, and the differences are fresh and fine
    // enough to say. Where no step up is found, the differences may have
    // been too coarse for the top: finer ones are tried before the search
    // ends.
    const StateStep model_top = model_step(model, climb.at.state.phi, LARGEST_RADIUS);
    if (work.rough && step_converged_within(model_top, ROUGH_TURN, ROUGH_PHI)) break;
    bool small = step_converged(model_top);
    if (small && curvature_holds(moved, data)) break;
    StateStep step{};
    const double offered = climb.radius;
    if (small || !climb_step(model, data, weight, counts, climb, step, work.scores.data())) {
      if (differenced_here && h <= FINE_DIFFERENCE) break;
      if (differenced_here) h = FINE_DIFFERENCE;
      difference = true;
      climb.radius = FIRST_CLIMB_RADIUS;
      continue;
    }
    h = difference_step(step_size(step));
    moved += std::sqrt(dot(step.turn, step.turn));
    differenced_here = false;
    if (!keeps_curvature || climb.radius < offered) {
      difference = true;
      continue;
    }
    // `scores` hold the data's scores at climb.at: its sum was the last taken.
    model.value = climb.at.score_sum;
    score_gradient(climb.at.state, data, weight, counts, work.scores.data(), model.gradient);
  }
  return climb.at;
}

std::vector<ContinuousState> refinement_starts(const GridPoint* grid, std::span<const int32_t> best_first) {
  constexpr std::size_t STARTS = 4;
  std::vector<ContinuousState> starts;
  for (std::size_t i = 0; i < best_first.size() && i < STARTS; ++i)
    starts.push_back(continuous_state(grid[best_first[i]]));
  return starts;
}

double smoothing_of_fit(const ContinuousState& state, const SlipData& data) {
  if (data.count < FEWEST_SMOOTHED) return 0.0;
  std::vector<double> angles(static_cast<std::size_t>(data.count));
  misfit_angles(state, data, angles.data());
  std::nth_element(angles.begin(), angles.begin() + data.count / 2, angles.end());
  const double h = std::min(SMOOTHING_PER_MISFIT * angles[static_cast<std::size_t>(data.count / 2)] / DEGREE,
                            LARGEST_SMOOTHING);
  return h < SMALLEST_SMOOTHING ? 0.0 : h;
}

namespace {

RefinedState best_refined(const std::vector<ContinuousState>& starts, const SlipData& data,
                          const WeightFunction& weight, RefineWork& work) {
  std::vector<double> scores(static_cast<std::size_t>(data.count));
  RefinedState best{starts.front(), 0.0, data.smoothing};
  bool first = true;
  for (const ContinuousState& start : starts) {
    double sum = continuous_score_sum(start, data, weight, nullptr, scores.data());
    RefinedState r = refine_state(start, sum, data, weight, nullptr, work);
    if (first || r.score_sum > best.score_sum) best = r;
    first = false;
  }
  best.smoothing = data.smoothing;
  return best;
}

}  // namespace

RefinedState refine_as_given(const std::vector<ContinuousState>& starts, const SlipData& data,
                             const WeightFunction& weight) {
  RefineWork work;
  SlipData read = data;
  read.smoothing = 0.0;
  return best_refined(starts, read, weight, work);
}

RefinedState refine_from_starts(const std::vector<ContinuousState>& starts, const SlipData& data,
                                const WeightFunction& weight) {
  RefineWork work;
  work.keep_curvature = true;
  SlipData read = data;
  read.smoothing = 0.0;
  // Each start climbs roughly first, and the best of them on to the end:
  // its top measures the data's scatter and starts the smoothed climb.
  // The others climb on only where the fit is read as given, so that no
  // start's top is lost.
  work.rough = true;
  std::vector<RefinedState> rough;
  std::size_t best_rough = 0;
  for (const ContinuousState& start : starts) {
    rough.push_back(best_refined({start}, read, weight, work));
    if (rough.back().score_sum > rough[best_rough].score_sum) best_rough = rough.size() - 1;
  }
  work.rough = false;
  RefinedState as_given =
      refine_state(rough[best_rough].state, rough[best_rough].score_sum, read, weight, nullptr, work);
  read.smoothing = smoothing_of_fit(as_given.state, read);
  if (read.smoothing == 0.0) {
    for (std::size_t i = 0; i < rough.size(); ++i) {
      if (i == best_rough) continue;
      const RefinedState r = refine_state(rough[i].state, rough[i].score_sum, read, weight, nullptr, work);
      if (r.score_sum > as_given.score_sum) as_given = r;
    }
    return as_given;
  }
  // The smoothed fit's climb from the top of the fit as given; a start
  // that the smoothed fit rates higher than where that climb ends climbs
  // too, so that no start is better than the result.
  RefinedState best = best_refined({as_given.state}, read, weight, work);
  std::vector<double> scores(static_cast<std::size_t>(read.count));
  for (const ContinuousState& start : starts) {
    double sum = continuous_score_sum(start, read, weight, nullptr, scores.data());
    if (sum <= best.score_sum) continue;
    RefinedState r = refine_state(start, sum, read, weight, nullptr, work);
    if (r.score_sum > best.score_sum) best = RefinedState{r.state, r.score_sum, read.smoothing};
  }
  return best;
}
