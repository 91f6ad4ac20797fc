// The kernels of the fill and of the CIM's misfits: the clamped dot
// product of predicted and observed slip for many pairs of stress state
// and datum at once, with the very operations, in the same order, of
// predicted_slip_direction and misfit_angle (fill_reference.h): each lane
// of a vector instruction computes one pair as the scalar code would, so
// the results agree to the bit. The score and the misfit in degrees of a
// pair depend on this dot product alone (see step_table.h).
#ifndef SORVEL_FITNESS_PAIR_KERNELS_H_
#define SORVEL_FITNESS_PAIR_KERNELS_H_

#include <cstdint>
#include <vector>

#include "common/types.h"
#include "fitness/step_table.h"

/// What the kernels need of one datum, formed once with the scalar code's
/// operations: the plane's normal n, the projection factors
/// p[3i + j] = delta_ij - n_i n_j and the normalised observed slip s.
struct DatumFactors {
  float n[3];
  float p[9];
  float s[3];
};
DatumFactors datum_factors(const FaultDatum& datum);

/// The stress tensors by component: component c (column by column, as a
/// GridPoint stores it) of GridPoint k is c[c][k].
struct TensorComponents {
  std::vector<float> c[9];
};
TensorComponents tensor_components(const GridPoint* grid, int32_t count);
/// The same of GridPoints grid[at[k]], k < count.
TensorComponents tensor_components(const GridPoint* grid, const int32_t* at, int32_t count);

/// The factors of many data by component, datum j at index j.
struct DataComponents {
  std::vector<float> n[3], p[9], s[3];
};
DataComponents data_components(const FaultDatum* data, int32_t count);

/// d[i] for GridPoints first + i (i < count) against one datum.
void dots_over_gridpoints(const TensorComponents& tensors, int32_t first, int32_t count,
                          const DatumFactors& datum, float* d);

/// The scores of GridPoints first + i (i < count) against one datum, from
/// a usable table of the score as a function of d; false when some d was
/// not a number (its score is then wrong, and left to the caller). The
/// scores are whole numbers of 32 bits, as wide as the floats they come
/// from, so that the loop runs in the widest vectors.
bool scores_over_gridpoints(const TensorComponents& tensors, int32_t first, int32_t count,
                            const DatumFactors& datum, const StepTable& table, int32_t* scores);

/// The same scores added to sums[i] rather than stored, in the one pass;
/// false when some d was not a number: the sum of such a pair has then
/// gained lookup_value's score for it (step_table.h), the caller's to mend.
bool add_scores_over_gridpoints(const TensorComponents& tensors, int32_t first, int32_t count,
                                const DatumFactors& datum, const StepTable& table, int32_t* sums);

/// d[j] for one stress tensor S (column by column) against data first + j.
void dots_over_data(const float* S, const DataComponents& data, int32_t first, int32_t count,
                    float* d);

/// GridPoints in a run that the fill's plan hands to the two kernels
/// below at a time: their dot products stay in the first-level cache.
inline constexpr int32_t KERNEL_RUN = 2048;

/// The scores of the first `count` (at most KERNEL_RUN) GridPoints of
/// `tensors` against one datum, stored in column[0 .. count - 1]. Every
/// score is the one the pair-by-pair reference gives.
void store_run_scores(const TensorComponents& tensors, int32_t count, const DatumFactors& factors,
                      const StepTable& scores, int8_t* column);

/// The same scores added to sum[0 .. count - 1].
void add_run_scores(const TensorComponents& tensors, int32_t count, const DatumFactors& factors,
                    const StepTable& scores, int32_t* sum);

#endif  // SORVEL_FITNESS_PAIR_KERNELS_H_
