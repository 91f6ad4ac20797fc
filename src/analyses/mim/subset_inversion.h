// The subset search of the MIM analysis: every k-subset of the data
// votes for the stress state whose summed scores over the subset are
// greatest. The vote counts live in the fitness field of the GridPoints.
#ifndef SORVEL_ANALYSES_MIM_SUBSET_INVERSION_H_
#define SORVEL_ANALYSES_MIM_SUBSET_INVERSION_H_

#include <cstdint>
#include <string>

inline constexpr int MIN_SUBSET_SIZE = 2;
inline constexpr int MAX_SUBSET_SIZE = 8;

/// Sets the vote count of every GridPoint to 0.
void clear_votes();

/// Gives one vote for every k-subset (k from 2 to 8) of the fault-data
/// columns of the fitness table, writing a progress line every 1000
/// subsets. Other values of k leave every vote count at 0.
void MIM_invert_subsets(int8_t k);

/// The same search as the formulas read, one pass over the grid per
/// subset in one thread: the reference of the fast search above.
void MIM_invert_subsets_reference(int8_t k);

/// The first k-subset in lexicographic order: j[1..k] = 1, 2, ..., k
/// (j[0] is not used).
void first_subset(int32_t* j, int k);

/// Steps j[1..k] to the next k-subset of 1..n in lexicographic order and
/// returns the lowest position whose index changed (every later position
/// restarts too), or 0 when j held the last subset.
int next_subset(int32_t* j, int k, int32_t n);

/// The progress line after `counter` of `total` subsets, without line
/// end: counter in 10 columns, " /", total in 10 columns; for k = 4 a
/// blank, the counter in 10, " /" and the total in 9.
std::string progress_line(int k, int32_t counter, int32_t total);

#endif  // SORVEL_ANALYSES_MIM_SUBSET_INVERSION_H_
