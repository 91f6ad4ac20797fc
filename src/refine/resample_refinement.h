// The refined state of every bootstrap resample: the greatest summed
// score of the resample's data, each counted as often as it was drawn,
// over continuous axes and Phi.
//
// A thousand resamples must cost little beside the resampling itself, so
// each starts from one model shared by all: every datum's score with its
// derivatives at the refined state of the full data. A resample's model
// is the sum of those terms with its multiplicities, and the step to its
// top is its first estimate. That estimate is kept when it is near (the
// model's error grows with the square of the step) and scores at least
// as much as the resample's best grid state; else the search goes on
// from the better of the two with the resample's own derivatives. No
// resample's refined state is worse than its best grid state.
#ifndef SORVEL_REFINE_RESAMPLE_REFINEMENT_H_
#define SORVEL_REFINE_RESAMPLE_REFINEMENT_H_

#include <cstdint>
#include <vector>

#include "refine/state_refinement.h"

struct ResampleRefinementRun {
  const SlipData* data;
  const WeightFunction* weight;
  const GridPoint* grid;   // the grid as generated
  uint64_t seed;           // of the resamples
  int threads;             // at least 1
};

/// The refined state of each resample b (0-based, its draws those of the
/// bootstrap of `seed`) whose best grid state is winners[b], about the
/// full data's refined state `best`.
std::vector<ContinuousState> refine_resamples(const ResampleRefinementRun& run,
                                              const ContinuousState& best,
                                              const std::vector<int32_t>& winners);

#endif  // SORVEL_REFINE_RESAMPLE_REFINEMENT_H_
