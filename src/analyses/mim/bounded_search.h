// The subset search made fast and kept exact. Every k-subset still votes
// for the first GridPoint (lowest index) of greatest summed score, but
// most GridPoints are never summed for the last datum: the grid is cut
// into blocks of eight, and a block whose bound (the greatest partial sum
// over the other k - 1 data in it plus the last datum's greatest score in
// it) lies below a sum that some GridPoint reaches cannot hold the
// winner. The subsets are shared out among threads by their first one to
// three indices, each thread voting into its own counts.
#ifndef SORVEL_ANALYSES_MIM_BOUNDED_SEARCH_H_
#define SORVEL_ANALYSES_MIM_BOUNDED_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The search bounds the sums of blocks of SEARCH_BLOCK GridPoints, and of
// groups of SEARCH_GROUP, neighbours in the order given.
#include "common/run_settings.h"
#include "grid/stress_order.h"

/// The scores of `points` GridPoints for each of n data, column after
/// column (GridPoint index fastest), as the fitness table holds them.
/// Where the storage of the scores may be written (`writable`, the same
/// bytes as `scores`, `room` bytes long), the search lays the columns out
/// there in its own order, when they fit, instead of in a copy, and puts
/// them back when its plan is freed.
struct ScoreColumns {
  const int8_t* scores;
  int32_t points;
  int32_t n;
  int8_t* writable = nullptr;
  std::size_t room = 0;
};

/// The search's progress is told with the subset counter at every
/// multiple of VOTES_PER_PROGRESS_LINE (subset_counting.h), in ascending
/// order, once every subset up to that one has voted, and the number of
/// subsets.

/// The working arrays of one search: bounds, pieces, one set of votes
/// per thread.
struct SubsetSearchPlan;
struct SubsetSearchPlanDeleter {
  void operator()(SubsetSearchPlan* plan) const;
};
using SubsetSearchPlanPtr = std::unique_ptr<SubsetSearchPlan, SubsetSearchPlanDeleter>;

/// Makes the working arrays for the k-subsets (k from 2 to 8) of the
/// columns' data, searched in `threads` threads; null when they cannot be
/// had. The columns must stay as they are until the search has run.
/// `order`, when not empty, lists every GridPoint once, neighbours alike
/// in stress first (stress_order.h); the search then bounds blocks and
/// groups of GridPoints in that order, and the lowest grid index still
/// wins among equal sums. Only its speed depends on the order.
SubsetSearchPlanPtr plan_subset_search(const ScoreColumns& columns, int k, int threads,
                                       const std::vector<int32_t>& order = {});

/// Adds one vote to votes[i] (0-based, `points` entries) for every
/// k-subset.
void run_subset_search(SubsetSearchPlan& plan, int32_t* votes, const WorkProgress& progress);

#endif  // SORVEL_ANALYSES_MIM_BOUNDED_SEARCH_H_
