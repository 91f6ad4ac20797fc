// Scores of every stress state against every datum, and the fitness of
// each stress state: the sum of its scores. This is the fill's plan: the
// threads, the runs of GridPoints each thread takes, and whether a table
// is kept or only its sums; the kernels that score a run against one
// datum are in pair_kernels.h, the pair-by-pair reference that every
// score agrees with to the bit in fill_reference.h.
#ifndef SORVEL_FITNESS_FITNESS_TABLE_H_
#define SORVEL_FITNESS_FITNESS_TABLE_H_

#include <cstdint>
#include <vector>

#include "common/error_report.h"
#include "common/run_settings.h"
#include "common/tables.h"
#include "common/types.h"
#include "fitness/step_table.h"
#include "fitness/weight_functions.h"

/// Makes `table` ready for n data (its scores not yet set); a table that
/// cannot be had is reported under fill_fitness_table.
StageResult allocate_fitness_table(int32_t n, FitnessTable& table);

/// Bytes the table needs for n data; false when that overflows.
bool fitness_table_bytes(int32_t n, std::size_t& bytes);

/// Scores every (GridPoint, datum) pair with the given weight function,
/// many pairs at once and on every thread of the run; the reference path
/// when the settings ask for it. The rows are in the table's `rows` order
/// where it has one.
void fill_fitness_table(const Gss& gss, const FaultSet& faults, const WeightFunction& weight,
                        const RunSettings& settings, FitnessTable& table);

/// The fitness of every GridPoint: the sum of its row, in grid order.
GridValues sum_fitness(const FitnessTable& table, const RunSettings& settings);

/// The fitness of every GridPoint straight from the scores, which are not
/// kept: the sums that fill_fitness_table and sum_fitness give, without
/// the memory of a table. The reference path fills a table and sums it,
/// and reports a table it cannot have.
StageResult fill_and_sum_fitness(const Gss& gss, const FaultSet& faults,
                                 const WeightFunction& weight, const RunSettings& settings,
                                 GridValues& fitness);

#ifdef __EMSCRIPTEN__
/// The page's build only (web/fill_shares.cpp): the sums of every
/// GridPoint from the shares of the grid that helper workers summed, or,
/// in a helper, its own share summed and handed on. False where the run
/// sums the data itself.
bool shared_fitness_sums(const Gss& gss, const FaultDatum* data, int32_t n, const StepTable& scores,
                         std::vector<int32_t>& sums);

/// The page's build only: a CDM run's resamples, which helper workers
/// search over their shares of the grid with the sums. True where the run
/// is a helper or is given helpers' files: it then keeps no table.
bool share_resample_search(int32_t resamples, uint64_t seed);

/// Each resample's best grid index from the helpers' files that
/// shared_fitness_sums took; empty where it took none.
std::vector<int32_t> take_shared_resample_best();
#endif

/// The score of a pair as a function of its clamped dot product d.
StepTable score_step_table(const WeightFunction& weight);

/// Fills the scores of `points` GridPoints against each of the data
/// 0 .. n - 1 into columns[j * points + k], using `threads` threads. Each
/// thread takes a run of GridPoints through every datum, with the
/// tensors of the run laid out by component for it alone: no copy of the
/// whole grid's tensors is made, and each part of the table is first
/// touched by the thread that fills it. Where `rows` is given, row k of
/// every column is GridPoint rows[k] instead.
void fill_score_columns(const GridPoint* grid, int32_t points, const FaultDatum* data, int32_t n,
                        const StepTable& scores, int8_t* columns, int threads,
                        const int32_t* rows = nullptr);

/// The sum over the data of every GridPoint's scores, the scores not
/// kept: run by run of GridPoints as above, so that their sums stay in
/// the cache and no table is written.
std::vector<int32_t> sum_score_columns(const GridPoint* grid, int32_t points,
                                       const FaultDatum* data, int32_t n, const StepTable& scores,
                                       int threads);

#endif  // SORVEL_FITNESS_FITNESS_TABLE_H_
