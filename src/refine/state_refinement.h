// A stress state refined beyond the grid's spacing: the greatest summed
// score (continuous_fit.h) near a start, over continuous axes and Phi.
//
// A state is moved by four parameters: a turn of its axes, the rotation
// vector w in radians (the axes turned together by |w| about w / |w|,
// so that they stay orthonormal), and a change of Phi. Every datum's
// score is a smooth function of them away from a perfect fit, so the
// search is Newton's method on their sum: the gradient and curvature from
// central differences, the step to the top of that quadratic model within
// a trust region, and a step taken only when the exact sum grows. A
// refined state is therefore never worse than its start.
#ifndef SORVEL_REFINE_STATE_REFINEMENT_H_
#define SORVEL_REFINE_STATE_REFINEMENT_H_

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "refine/continuous_fit.h"

/// A change of state: the turn of its axes and the change of its Phi.
struct StateStep {
  Vec3d turn;  // rotation vector, radians
  double phi;
};

/// The size of a step: its turn in radians, or its change of Phi over
/// 0.6 (ten degrees are worth a tenth of Phi, as in the grid), the larger.
double step_size(const StateStep& step);

/// The state moved by the step (Phi as it comes, also outside 0 to 1).
ContinuousState moved_state(const ContinuousState& state, const StateStep& step);

/// Number of curvature terms of four parameters: the upper triangle
/// 00, 01, 02, 03, 11, 12, 13, 22, 23, 33.
inline constexpr int CURVATURE_TERMS = 10;

/// Every datum's score at a state and its first and second derivatives in
/// the four parameters (turn x, y, z, Phi), each an array over the data,
/// from central differences of step h (radians of turn, and of Phi).
struct DatumDerivatives {
  std::vector<double> value;
  std::array<std::vector<double>, 4> gradient;
  std::array<std::vector<double>, CURVATURE_TERMS> curvature;
};

void datum_derivatives(const ContinuousState& at, const SlipData& data,
                       const WeightFunction& weight, double h, DatumDerivatives& out);

/// The step of the differences after a step of the search of this size.
double difference_step(double last_step);

/// The quadratic model of a summed score about a state.
struct ScoreModel {
  double value;
  double gradient[4];
  double curvature[4][4];
};

/// The model of the sum with every datum counted counts[j] times (every
/// datum once when counts is null).
ScoreModel score_model(const DatumDerivatives& d, const double* counts, int32_t n);

/// The step towards the model's top, of size at most `radius`, keeping
/// Phi within 0 to 1.
StateStep model_step(const ScoreModel& model, double phi, double radius);

struct RefinedState {
  ContinuousState state;
  double score_sum;        // its summed score, counted as asked
  double smoothing = 0.0;  // degrees: that of the data the sum was read with
};

/// Buffers of a refinement, kept between calls.
struct RefineWork {
  DatumDerivatives derivatives;
  std::vector<double> scores;
  /// Whether a climb keeps the model's curvature between the steps it
  /// foresaw well, taking only the gradient anew (refine_state): several
  /// times cheaper, its top the same within the search's resolution. The
  /// separation of populations, which settles by many climbs on small
  /// sets, climbs without it: its settling missed more populations so.
  bool keep_curvature = false;
  /// Whether a climb may end where its model's top lies within 0.06
  /// degrees: a start for a finer climb (refine_from_starts).
  bool rough = false;
};

/// Where a search stands: its best state so far and its trust radius.
struct Climb {
  RefinedState at;
  double radius;  // of the next step, as model_step takes it
};

/// The first trust radius of a search, about 6 degrees.
inline constexpr double FIRST_CLIMB_RADIUS = 0.1;

/// One step up the model about climb.at: the model's step within the
/// radius, the radius shrunk until the exact sum (data counted by
/// `counts`) grows; the radius grows after a step that used it. False
/// when no step up is found. `scores` has room for every datum.
bool climb_step(const ScoreModel& model, const SlipData& data, const WeightFunction& weight,
                const double* counts, Climb& climb, StateStep& taken, double* scores);

/// Whether a step was small enough to end a search: a turn under 0.006
/// degrees and a change of Phi under 0.0001.
bool step_converged(const StateStep& step);
/// Whether a step turns less than `turn` radians and changes Phi less than `phi`.
bool step_converged_within(const StateStep& step, double turn, double phi);

/// The refined state from `start` (its summed score `start_sum`).
RefinedState refine_state(const ContinuousState& start, double start_sum, const SlipData& data,
                          const WeightFunction& weight, const double* counts, RefineWork& work);

/// The starts of a best state's refinement: the best grid state and the
/// next three of `best_first` (grid indices, best first, at least one),
/// which may lie nearer a top of their own.
std::vector<ContinuousState> refinement_starts(const GridPoint* grid, std::span<const int32_t> best_first);

/// The smoothing (SlipData) that reads a fit at the scatter of its data:
/// 0.45 of the data's median misfit under `state`, at most 8 degrees;
/// none below a twentieth of a degree, where it could not move a
/// reported tenth, and none for fewer than five data, which a family of
/// states fits exactly.
double smoothing_of_fit(const ContinuousState& state, const SlipData& data);

/// The best of the states refined from each start (at least one) on the
/// fit as the data give it (smoothing 0).
RefinedState refine_as_given(const std::vector<ContinuousState>& starts, const SlipData& data,
                             const WeightFunction& weight);

/// The best of the states refined from each start (at least one): the
/// first start is the run's best grid state, the others its runners-up.
/// The fit is read twice: as the data give it (smoothing 0; each start
/// climbs roughly, the best on to the end), and then
/// from its best state, with the smoothing of that state's fit
/// (smoothing_of_fit), which the result carries; a start that the
/// smoothed fit rates higher than that climb's end climbs too, so the
/// result is never worse than a start. Error-free data have no scatter
/// and are read as they are.
RefinedState refine_from_starts(const std::vector<ContinuousState>& starts, const SlipData& data,
                                const WeightFunction& weight);

#endif  // SORVEL_REFINE_STATE_REFINEMENT_H_
