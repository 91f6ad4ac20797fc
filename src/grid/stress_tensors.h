// Reduced stress tensors of the grid points: S = R^T diag(1, Phi, 0) R.
#ifndef SORVEL_GRID_STRESS_TENSORS_H_
#define SORVEL_GRID_STRESS_TENSORS_H_

void compute_stress_tensors();

#endif  // SORVEL_GRID_STRESS_TENSORS_H_
