// The one summary line that a command-line run writes after its results
// file: the best (or most-voted) stress state with its principal axes in
// whole degrees, as the results files round them.
#ifndef SORVEL_ANALYSES_RUN_SUMMARY_H_
#define SORVEL_ANALYSES_RUN_SUMMARY_H_

#include <cstdint>
#include <string>

#include "analyses/shared_stages.h"
#include "common/tables.h"

/// "  Best stress state: sigma1 349/80, sigma2 186/10, sigma3 095/03,
/// Phi 0.5, mean score 99.7 of 100" (one line): each axis by its downward
/// end, azimuth/plunge; sigma2 = sigma3 x sigma1; the mean score is the
/// summed score over the number of data. Without data no state is better
/// than another: "  Best stress state: none (no data)".
std::string best_state_summary(const Gss& gss, const BestState& best);

/// The GridPoint with the most votes of a MIM run (the first in grid
/// order among equals).
struct MostVoted {
  int32_t index;  // 1-based grid index; 0 when nothing was voted for
  int32_t votes;
  int64_t total;  // votes of all GridPoints: the number of subsets
};
MostVoted most_voted_state(const GridValues& votes);

/// "  Most voted stress state: sigma1 .../.., sigma2 .../.., sigma3 .../..,
/// Phi 0.5, votes 6100 of 120000 (5.1 %)"; "  Most voted stress state:
/// none (no votes)" when no subset voted.
std::string most_voted_summary(const Gss& gss, const MostVoted& winner);

#endif  // SORVEL_ANALYSES_RUN_SUMMARY_H_
