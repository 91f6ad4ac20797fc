// The score and the misfit of a pair of stress state and datum as the
// formulas read, one pair at a time, and the fitness table filled and
// summed that way: the reference that the fast fill (fitness_table.h)
// agrees with to the bit, and the formulas that the CIM, the data fit and
// the populations take for single pairs.
#ifndef SORVEL_FITNESS_FILL_REFERENCE_H_
#define SORVEL_FITNESS_FILL_REFERENCE_H_

#include <cstdint>

#include "common/tables.h"
#include "common/types.h"
#include "fitness/weight_functions.h"

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

/// The misfit of a pair in whole degrees, as the results files give it.
long misfit_degrees(const float* S, const FaultDatum& datum);

/// The score of one stress state for one datum.
int8_t score_of_pair(const float* S, const FaultDatum& datum, const WeightFunction& weight);

/// Scores every (GridPoint, datum) pair, pair by pair.
void fill_fitness_table_reference(const Gss& gss, const FaultSet& faults,
                                  const WeightFunction& weight, FitnessTable& table);

/// The fitness of every GridPoint, GridPoint after GridPoint in one thread.
GridValues sum_fitness_reference(const FitnessTable& table);

#endif  // SORVEL_FITNESS_FILL_REFERENCE_H_
