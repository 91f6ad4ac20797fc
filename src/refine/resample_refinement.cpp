#include "refine/resample_refinement.h"

#include <algorithm>
#include <atomic>
#include <map>

#include "common/threads.h"
#include "confidence/bootstrap.h"

namespace {

// The shared model's step is kept up to a degree: beyond, the search
// goes on. The step itself is taken up to 20 degrees.
const double TRUSTED_STEP = 0.0175;  // radians
const double MODEL_RADIUS = 0.35;
// The shared model's differences span half a degree, as the steps do.
const double MODEL_DIFFERENCE = 0.01;
// The search beyond the estimate takes steps with the resample's own
// gradient (score_gradient: one pass over the drawn data, where forward
// differences took four) and the shared curvature, as many as about
// 10,000 scores of data allow, one to four: from an estimate near the top
// (many data) one step is enough, and the cost stays bounded where the
// data fix no state (data at random, whose cones are wide).
const int MOST_POLISH_STEPS = 4;
const int32_t POLISH_SCORES = 10000;

struct SharedModel {
  ContinuousState centre;
  DatumDerivatives derivatives;
  std::map<int32_t, std::vector<double>> winner_scores;  // each datum's score, by grid state
};

struct ThreadWork {
  std::vector<uint16_t> draws;
  std::vector<double> counts, scores;
  SlipData drawn;                    // the drawn data alone
  std::vector<double> drawn_counts;  // their multiplicities
};

void keep_drawn(const SlipData& all, const uint16_t* draws, ThreadWork& work) {
  SlipData& d = work.drawn;
  d.count = 0;
  d.smoothing = all.smoothing;
  work.drawn_counts.clear();
  for (std::vector<double>* v : {&d.nx, &d.ny, &d.nz, &d.sx, &d.sy, &d.sz, &d.ns}) v->clear();
  for (int32_t j = 0; j < all.count; ++j) {
    if (draws[j] == 0) continue;
    d.nx.push_back(all.nx[j]), d.ny.push_back(all.ny[j]), d.nz.push_back(all.nz[j]);
    d.sx.push_back(all.sx[j]), d.sy.push_back(all.sy[j]), d.sz.push_back(all.sz[j]);
    d.ns.push_back(all.ns[j]);
    work.drawn_counts.push_back(draws[j]);
    ++d.count;
  }
}

// Up the resample's own sum from `start`, with its gradient and the shared
// model's curvature; work.scores hold the drawn data's scores at the start.
// A step that the model puts below the search's resolution is not taken.
ContinuousState polished(const RefinedState& start, const ScoreModel& shared_model,
                         const WeightFunction& weight, ThreadWork& work) {
  const SlipData& drawn = work.drawn;
  const double* counts = work.drawn_counts.data();
  double* scores = work.scores.data();
  Climb climb{start, FIRST_CLIMB_RADIUS};
  ScoreModel model = shared_model;
  const int steps = std::clamp(POLISH_SCORES / (6 * std::max(drawn.count, 1) * states_per_score(drawn)),
                               1, MOST_POLISH_STEPS);
  for (int i = 0; i < steps; ++i) {
    model.value = climb.at.score_sum;
    // `scores` hold the data's scores at climb.at: its sum was the last taken.
    score_gradient(climb.at.state, drawn, weight, counts, scores, model.gradient);
    if (step_converged(model_step(model, climb.at.state.phi, climb.radius))) break;
    StateStep step{};
    if (!climb_step(model, drawn, weight, counts, climb, step, scores)) break;
    if (step_converged(step)) break;
  }
  return climb.at.state;
}

ContinuousState refined_resample(const ResampleRefinementRun& run, const SharedModel& shared,
                                 int32_t b, int32_t winner, ThreadWork& work) {
  const SlipData& data = *run.data;
  const int32_t n = data.count;
  resample_counts(run.seed, b, n, work.draws.data());
  for (int32_t j = 0; j < n; ++j) work.counts[j] = work.draws[j];
  const double* counts = work.counts.data();
  ScoreModel model = score_model(shared.derivatives, counts, n);
  StateStep step = model_step(model, shared.centre.phi, MODEL_RADIUS);
  ContinuousState estimate = moved_state(shared.centre, step);
  estimate.phi = std::clamp(estimate.phi, 0.0, 1.0);
  keep_drawn(data, work.draws.data(), work);
  double estimate_sum = continuous_score_sum(estimate, work.drawn, *run.weight,
                                             work.drawn_counts.data(), work.scores.data());
  double winner_sum = counted_sum(shared.winner_scores.at(winner).data(), counts, n);
  if (estimate_sum >= winner_sum && step_size(step) <= TRUSTED_STEP) return estimate;
  if (estimate_sum >= winner_sum) return polished(RefinedState{estimate, estimate_sum}, model, *run.weight, work);
  const ContinuousState grid_state = continuous_state(run.grid[winner]);
  const double grid_sum = continuous_score_sum(grid_state, work.drawn, *run.weight,
                                               work.drawn_counts.data(), work.scores.data());
  return polished(RefinedState{grid_state, grid_sum}, model, *run.weight, work);
}

}  // namespace

std::vector<ContinuousState> refine_resamples(const ResampleRefinementRun& run,
                                              const ContinuousState& best,
                                              const std::vector<int32_t>& winners) {
  const SlipData& data = *run.data;
  const std::size_t n = static_cast<std::size_t>(data.count);
  SharedModel shared;
  shared.centre = best;
  datum_derivatives(best, data, *run.weight, MODEL_DIFFERENCE, shared.derivatives);
  for (int32_t w : winners) {
    if (shared.winner_scores.count(w) != 0) continue;
    std::vector<double>& scores = shared.winner_scores[w];
    scores.resize(n);
    continuous_scores(continuous_state(run.grid[w]), data, *run.weight, scores.data());
  }
  const int threads = std::max(run.threads, 1);
  std::vector<ThreadWork> work(static_cast<std::size_t>(threads));
  for (ThreadWork& w : work) {
    w.draws.resize(n);
    w.counts.resize(n);
    w.scores.resize(n);
  }
  std::vector<ContinuousState> refined(winners.size());
  const int32_t total = static_cast<int32_t>(winners.size());
  std::atomic<int32_t> next{0};
  run_on_threads(threads, [&](int slot) {
    for (int32_t b = next++; b < total; b = next++)
      refined[static_cast<std::size_t>(b)] =
          refined_resample(run, shared, b, winners[static_cast<std::size_t>(b)], work[static_cast<std::size_t>(slot)]);
  });
  return refined;
}
