// The fitness of a stress state between the grid's states: the score of
// each datum, 200 w - 100 of the run's weight function of its misfit
// angle, in double precision and not rounded to a whole number, so that a
// small turn of the axes or change of Phi changes the sum. The misfit is
// the one the grid's scores measure: the angle between the observed slip
// and the shear traction that the reduced stress (principal values 1, Phi
// and 0) exerts on the plane.
#ifndef SORVEL_REFINE_CONTINUOUS_FIT_H_
#define SORVEL_REFINE_CONTINUOUS_FIT_H_

#include <cstdint>
#include <vector>

#include "common/types.h"
#include "fitness/weight_functions.h"
#include "stress/stress_quantities.h"

/// The data laid out for the sums, one array a component: the unit normal
/// n and unit slip s of each datum, and n . s (zero when the slip lies in
/// its plane).
///
/// With a smoothing h (degrees) above 0, a datum's score is read at that
/// resolution: the mean of its scores under the state turned by h either
/// way about each of the frame's four diagonals, eight turns whose mean
/// is no turn and whose spread is the same in every direction. A fit of
/// scattered data has many small tops, each made by a few data whose
/// predicted slip swings fast with the state (planes of little shear);
/// read at about the data's own scatter they merge into the one top that
/// all the data make, which lies nearer the truth. 0 reads each score at
/// the state itself.
struct SlipData {
  int32_t count = 0;
  std::vector<double> nx, ny, nz, sx, sy, sz, ns;
  double smoothing = 0.0;  // degrees
};

SlipData slip_data(const FaultDatum* data, int32_t count);

/// The states each datum's score is read at: 1, or the eight turns of a
/// smoothed reading. A sum's cost grows with it.
int32_t states_per_score(const SlipData& data);

/// The misfit angle of every datum under the state itself, radians 0 to
/// pi (whatever the data's smoothing).
void misfit_angles(const ContinuousState& state, const SlipData& data, double* angles);

/// The score 200 w - 100 of every datum under the state, read with the
/// data's smoothing.
void continuous_scores(const ContinuousState& state, const SlipData& data,
                       const WeightFunction& weight, double* scores);

/// The sum of the scores, each datum counted `counts[j]` times (every
/// datum once when counts is null).
double counted_sum(const double* scores, const double* counts, int32_t n);

/// The gradient of the summed score (each datum counted counts[j] times,
/// once when counts is null) in the four parameters of a step of the
/// state: the turn of its axes (a rotation vector, radians) and Phi. From
/// each datum's derivative of its misfit cosine and the weight's slope in
/// it, one pass over the data where differences take four; `scores` are
/// the data's scores at the state (continuous_scores), which give the
/// slopes without the arccosine. With smoothing, the mean of the turned
/// states' gradients, each turned back.
void score_gradient(const ContinuousState& state, const SlipData& data,
                    const WeightFunction& weight, const double* counts, const double* scores,
                    double gradient[4]);

/// The state's summed score: continuous_scores into `scratch` (room for
/// every datum), then counted_sum.
double continuous_score_sum(const ContinuousState& state, const SlipData& data,
                            const WeightFunction& weight, const double* counts, double* scratch);

#endif  // SORVEL_REFINE_CONTINUOUS_FIT_H_
