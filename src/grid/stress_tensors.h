// Reduced stress tensors of the grid points: S = R^T diag(1, Phi, 0) R.
#ifndef SORVEL_GRID_STRESS_TENSORS_H_
#define SORVEL_GRID_STRESS_TENSORS_H_

#include "common/tables.h"

/// Fills the stress_tensor of every GridPoint of `gss`.
void compute_stress_tensors(Gss& gss);

/// The same, point by point as the formula reads, every product of the
/// two matrices formed: the values compute_stress_tensors must give to
/// the bit.
void compute_stress_tensors_reference(Gss& gss);

#endif  // SORVEL_GRID_STRESS_TENSORS_H_
