// Scores of every stress state against every datum, and the fitness of
// each stress state: the sum of its scores.
#ifndef SORVEL_FITNESS_FITNESS_TABLE_H_
#define SORVEL_FITNESS_FITNESS_TABLE_H_

#include <cstdint>

#include "common/error_report.h"
#include "common/run_settings.h"
#include "common/tables.h"
#include "common/types.h"
#include "fitness/weight_functions.h"

/// Makes `table` ready for n data (its scores not yet set); a table that
/// cannot be had is reported under fill_fitness_table.
StageResult allocate_fitness_table(int32_t n, FitnessTable& table);

/// Scores every (GridPoint, datum) pair with the given weight function,
/// many pairs at once and on every thread of the run; the reference path
/// when the settings ask for it.
void fill_fitness_table(const Gss& gss, const FaultSet& faults, const WeightFunction& weight,
                        const RunSettings& settings, FitnessTable& table);

/// The same, pair by pair as the formulas read: the reference that the
/// fast fill must agree with to the bit.
void fill_fitness_table_reference(const Gss& gss, const FaultSet& faults,
                                  const WeightFunction& weight, FitnessTable& table);

/// Unit direction of the shear traction of S (column by column) on the
/// plane of unit normal n, or the zero vector when it is negligible.
Vec3 predicted_slip_direction(const float* S, Vec3 n);

/// Cosine of the angle between two vectors, clamped to [-1, 1]; 0 when
/// either has no length.
float misfit_cosine(Vec3 p, Vec3 s);

/// Angle between two vectors, 0 to pi; pi/2 when either has no length.
float misfit_angle(Vec3 p, Vec3 s);

/// The misfit in whole degrees of a clamped cosine.
long degrees_of_cosine(float d);

/// The score of one stress state for one datum.
int8_t score_of_pair(const float* S, const FaultDatum& datum, const WeightFunction& weight);

/// The fitness of every GridPoint: the sum of its row.
GridValues sum_fitness(const FitnessTable& table, const RunSettings& settings);
/// The same, GridPoint after GridPoint in one thread.
GridValues sum_fitness_reference(const FitnessTable& table);

/// The fitness of every GridPoint straight from the scores, which are not
/// kept: the sums that fill_fitness_table and sum_fitness give, without
/// the memory of a table. The reference path fills a table and sums it,
/// and reports a table it cannot have.
StageResult fill_and_sum_fitness(const Gss& gss, const FaultSet& faults,
                                 const WeightFunction& weight, const RunSettings& settings,
                                 GridValues& fitness);

/// The misfit of a pair in whole degrees, as the results files give it.
long misfit_degrees(const float* S, const FaultDatum& datum);

/// Bytes the table needs for n data; false when that overflows.
bool fitness_table_bytes(int32_t n, std::size_t& bytes);

#endif  // SORVEL_FITNESS_FITNESS_TABLE_H_
