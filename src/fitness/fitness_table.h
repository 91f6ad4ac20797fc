// Scores of every stress state against every datum, and the fitness of
// each stress state: the sum of its scores.
#ifndef SORVEL_FITNESS_FITNESS_TABLE_H_
#define SORVEL_FITNESS_FITNESS_TABLE_H_

#include <cstdint>

#include "common/types.h"
#include "fitness/weight_functions.h"

/// Creates the table for the current fault count, or clears an existing
/// one; a table that cannot be had ends the run through ErrorReporter.
void allocate_fitness_table();

/// Scores every (GridPoint, datum) pair with the given weight function,
/// many pairs at once and on every thread of the run.
void fill_fitness_table(const WeightFunction& weight);

/// The same, pair by pair as the formulas read: the reference that the
/// fast fill must agree with to the bit.
void fill_fitness_table_reference(const WeightFunction& weight);

/// Unit direction of the shear traction of S (column by column) on the
/// plane of unit normal n, or the zero vector when it is negligible.
Vec3 predicted_slip_direction(const float* S, Vec3 n);

/// Angle between two vectors, 0 to pi; pi/2 when either has no length.
float misfit_angle(Vec3 p, Vec3 s);

/// The score of one stress state for one datum.
int8_t score_of_pair(const float* S, const FaultDatum& datum, const WeightFunction& weight);

/// Sets the fitness of every GridPoint to the sum of its row.
void sum_fitness();
/// The same, GridPoint after GridPoint in one thread.
void sum_fitness_reference();

/// Bytes the table needs for n data; false when that overflows.
bool fitness_table_bytes(int32_t n, std::size_t& bytes);

#endif  // SORVEL_FITNESS_FITNESS_TABLE_H_
