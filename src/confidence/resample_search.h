// The best stress state of a bootstrap resample, found by bounds and
// exact all the same: the greatest sum of the scores weighted by the
// resample's multiplicities, and among equal sums the lowest grid index,
// as summing every state gives.
//
// The states are taken in an order in which neighbours are alike in
// stress (stress_order.h), in blocks of eight and groups of sixteen
// blocks. A resample's sum over any state of a block is at most the sum
// over the drawn data of each datum's greatest score in the block times
// its multiplicity; a group is bounded the same way. A group or block
// whose bound lies below a sum that some state reaches cannot hold the
// best state and is never summed. The sums to beat come first from
// states the caller names (the best states of earlier resamples), then
// from each block summed. Where the bounds leave most groups in reach
// (data without a clear best state), the resamples are summed group by
// group together, each datum's scores of a group read once for all of
// them.
#ifndef SORVEL_CONFIDENCE_RESAMPLE_SEARCH_H_
#define SORVEL_CONFIDENCE_RESAMPLE_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

/// Scores of `points` stress states against `columns` data: the score of
/// state k for datum j is scores[j * points + k], or, where `rows` is
/// given, of state rows[k].
struct ScoreTable {
  int8_t* scores;
  int32_t points;
  int32_t columns;
  const int32_t* rows = nullptr;
};

struct ResampleBest {
  int32_t index;  // 0-based state of the table
  int32_t sum;    // its summed score in the resample
};

/// Whether `candidate` is the better best state: the greater sum, or an
/// equal sum and the lower index.
bool is_better(const ResampleBest& candidate, const ResampleBest& best);

/// The work a search did: states summed for every datum, of how many.
struct ResampleTally {
  int64_t states_summed = 0;
  int64_t states_seen = 0;            // states of the table times resamples
  int32_t resamples = 0;
  int32_t resamples_pruned = 0;       // those that left at least one block unsummed
  int32_t resamples_batched = 0;      // those summed together with others, group by group
};

/// The bounds of a table and its rows in the search's order.
struct ResampleSearchPlan;
struct ResampleSearchPlanDeleter {
  void operator()(ResampleSearchPlan* plan) const;
};
/// While a plan lives, the rows of its table are in the plan's order;
/// freeing the plan puts them back.
using ResampleSearchPlanPtr = std::unique_ptr<ResampleSearchPlan, ResampleSearchPlanDeleter>;

/// Puts the table's rows (states) into `order`, which lists every state
/// once (empty: the table's own order; a table with `rows` is searched in
/// those and takes no order), and finds each column's greatest score in
/// every block and group, on `threads` threads. Null when the memory
/// cannot be had; the table is then as it was.
ResampleSearchPlanPtr plan_resample_search(const ScoreTable& table, std::span<const int32_t> order,
                                           int threads);

/// The best state of each resample r of `counts` (counts[r][j]: how often
/// it drew datum j, for every column j), into best[r]. `seeds` are states
/// (0-based, any number, repeats allowed) likely to be best or nearly
/// so, whose sums are the first to beat; they change the speed only.
void best_states_of_resamples(ResampleSearchPlan& plan, std::span<const uint16_t* const> counts,
                              std::span<const int32_t> seeds, int threads, ResampleBest* best,
                              ResampleTally& tally);

/// The data that a resample drew (counts[j] > 0 for datum j of n), each
/// with its multiplicity, packed as datum << 16 | count, in data order.
void drawn_entries(const uint16_t* counts, int32_t n, std::vector<uint32_t>& entries);

/// sums[k] = the sum over the entries of count * base[datum * stride + k]
/// for k < width, the entries as drawn_entries gives them; `partial` has room for `width` 16-bit sums.
void weighted_column_sums(const int8_t* __restrict base, std::size_t stride, int32_t width,
                          const uint32_t* entries, int32_t entry_count, int16_t* __restrict partial,
                          int32_t* __restrict sums);

#endif  // SORVEL_CONFIDENCE_RESAMPLE_SEARCH_H_
