// The subset search of the MIM analysis: every k-subset of the data
// votes for the stress state whose summed scores over the subset are
// greatest.
#ifndef SORVEL_ANALYSES_MIM_SUBSET_INVERSION_H_
#define SORVEL_ANALYSES_MIM_SUBSET_INVERSION_H_

#include <cstdint>
#include <string>

#include "analyses/mim/subset_counting.h"
#include "common/error_report.h"
#include "common/run_settings.h"
#include "common/tables.h"

/// The votes of every k-subset (k from 2 to 8) of the data columns of the
/// table: votes[i] counts the subsets whose best GridPoint is grid index i
/// (the lowest index among equal sums). A progress line follows every
/// VOTES_PER_PROGRESS_LINE subsets; the reference path when the settings
/// ask for it. Other values of k give no votes. The search orders the
/// states by the stress tensors of `gss`, the grid the table was made of.
/// It lays the table out anew in its storage while it runs; the table is
/// as it was when it returns.
StageResult MIM_invert_subsets(const Gss& gss, FitnessTable& table, int8_t k,
                               const RunSettings& settings, GridValues& votes);

/// The same search as the formulas read, one pass over the grid per
/// subset in one thread: the reference of the fast search above.
StageResult MIM_invert_subsets_reference(const FitnessTable& table, int8_t k,
                                         const RunSettings& settings, GridValues& votes);

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
