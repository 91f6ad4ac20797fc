// The fast fill of the fitness table: the dot products of many pairs at
// once (pair_kernels.h), the score of each from a table of the weight
// function (step_table.h), the data shared out among threads. Every score
// is the one the pair-by-pair fill gives.
#ifndef SORVEL_FITNESS_SCORE_FILL_H_
#define SORVEL_FITNESS_SCORE_FILL_H_

#include <cstdint>
#include <vector>

#include "fitness/pair_kernels.h"
#include "fitness/step_table.h"
#include "fitness/weight_functions.h"

/// The score of a pair as a function of its clamped dot product d.
StepTable score_step_table(const WeightFunction& weight);

/// Fills the scores of `points` GridPoints against each of the data
/// 0 .. n - 1 into columns[j * points + k], using `threads` threads. Each
/// thread takes a run of GridPoints through every datum, with the
/// tensors of the run laid out by component for it alone: no copy of the
/// whole grid's tensors is made, and each part of the table is first
/// touched by the thread that fills it.
void fill_score_columns(const GridPoint* grid, int32_t points, const FaultDatum* data, int32_t n,
                        const StepTable& scores, int8_t* columns, int threads);

/// The sum over the data of every GridPoint's scores, the scores not
/// kept: run by run of GridPoints as above, so that their sums stay in
/// the cache and no table is written.
std::vector<int32_t> sum_score_columns(const GridPoint* grid, int32_t points,
                                       const FaultDatum* data, int32_t n, const StepTable& scores,
                                       int threads);

#endif  // SORVEL_FITNESS_SCORE_FILL_H_
