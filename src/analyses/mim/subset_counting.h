// Counting the k-subsets of the data, as the MIM analysis checks, shows
// and shares them out.
#ifndef SORVEL_ANALYSES_MIM_SUBSET_COUNTING_H_
#define SORVEL_ANALYSES_MIM_SUBSET_COUNTING_H_

#include <cstdint>

inline constexpr int MIN_SUBSET_SIZE = 2;
inline constexpr int MAX_SUBSET_SIZE = 8;

/// A progress line follows every this many votes.
inline constexpr int32_t VOTES_PER_PROGRESS_LINE = 1000;

/// The most subsets the subset counter holds, less one: a search of this
/// many or more is refused.
inline constexpr int64_t SUBSET_COUNTER_BOUND = 2147483647;

/// C(n, k), the number of k-subsets of n data (0 when k < 0 or n < k);
/// -1 when it reaches SUBSET_COUNTER_BOUND.
int32_t count_combinations(int32_t n, int32_t k);

#endif  // SORVEL_ANALYSES_MIM_SUBSET_COUNTING_H_
