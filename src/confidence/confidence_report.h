// How well the data fix the best stress state, from the best states of
// the bootstrap's resamples: the 95 % cones of sigma1 and sigma3 about the
// best state's axes, the 95 % intervals of Phi, SHmax and R', and the
// share of resamples whose best state is the best state itself.
// Percentiles are by nearest rank: the p-th of n sorted values is the
// ceil(p n / 100)-th.
#ifndef SORVEL_CONFIDENCE_CONFIDENCE_REPORT_H_
#define SORVEL_CONFIDENCE_CONFIDENCE_REPORT_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "common/types.h"
#include "stress/stress_quantities.h"

inline constexpr double CONFIDENCE_LEVEL = 0.95;

/// Neighbouring states of the grid lie about this far apart (degrees): a
/// cone narrower than this is within the grid's spacing, not resolved.
inline constexpr double GRID_SPACING_DEGREES = 10.0;

struct Interval {
  double low;
  double high;
};

/// A state that is the best of `count` resamples.
struct ResampledState {
  int32_t index;  // 0-based, in the grid as generated
  int32_t count;
};

struct Confidence {
  double level;         // 0.95
  int32_t resamples;
  uint64_t seed;
  double sigma1_cone;   // degrees
  double sigma3_cone;   // degrees
  Interval phi;
  std::optional<Interval> shmax;  // degrees 0 to 180; low > high when it crosses north
  int32_t shmax_undefined;        // resamples without an SHmax, left out of its interval
  Interval r_prime;
  double best_share;              // 0 to 1
  std::vector<ResampledState> states;  // every state some resample chose, ascending index
};

/// The value of nearest rank `permille` / 1000 of values sorted ascending
/// (at least one value).
double nearest_rank(const std::vector<double>& sorted, int permille);

/// The confidence of the state best_index of `grid` (the grid as
/// generated) from the best state of every resample (at least one).
Confidence confidence_of_resamples(const GridPoint* grid, int32_t best_index,
                                   const std::vector<int32_t>& resample_best, uint64_t seed);

/// The same confidence of a state between the grid's from the refined
/// states of the resamples, in resample order (at least one). It lists no
/// states, and its best_share is 0: no refined resample lands on the
/// refined best state itself.
Confidence confidence_of_states(const ContinuousState& best,
                                const std::vector<ContinuousState>& resample_states, uint64_t seed);

#endif  // SORVEL_CONFIDENCE_CONFIDENCE_REPORT_H_
