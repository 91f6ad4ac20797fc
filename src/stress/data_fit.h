// How well a stress state explains each datum: the misfit angle between
// the observed slip and the shear the state drives on the plane, as the
// analyses compute it, and how many data it leaves within a limit.
#ifndef SORVEL_STRESS_DATA_FIT_H_
#define SORVEL_STRESS_DATA_FIT_H_

#include <cstdint>
#include <vector>

#include "common/types.h"

/// The misfit below which a datum fits a state: 30 degrees, the default of
/// every --fit and the limit of the reports.
inline constexpr double DEFAULT_FIT_LIMIT_DEGREES = 30.0;

struct DataFit {
  std::vector<long> misfits;  // every datum's misfit in whole degrees, in file order
  double mean_misfit;         // degrees, the mean of the unrounded angles; 0 without data
  int32_t fitting;            // data whose misfit in whole degrees is below the limit
};

/// The fit of `count` data (normal and slip vectors set) under the stress
/// tensor S (reduced, column by column, as a GridPoint holds it).
DataFit data_fit(const float* S, const FaultDatum* data, int32_t count, double limit_degrees);

#endif  // SORVEL_STRESS_DATA_FIT_H_
