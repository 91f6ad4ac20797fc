#include "stress/data_fit.h"

#include "common/constants.h"
#include "common/number_format.h"
#include "fitness/fill_reference.h"
#include "grid/state_axes.h"

DataFit data_fit(const float* S, const FaultDatum* data, int32_t count, double limit_degrees) {
  DataFit fit{{}, 0.0, 0};
  double sum = 0.0;
  for (int32_t i = 0; i < count; ++i) {
    float angle = misfit_angle(predicted_slip_direction(S, data[i].normal_vector), data[i].slip_vector);
    // Whole degrees as the results files and sorvel-plot give them.
    long degrees = whole_degrees(angle);
    fit.misfits.push_back(degrees);
    if (static_cast<double>(degrees) < limit_degrees) ++fit.fitting;
    sum += static_cast<double>(angle / DEG_TO_RAD);
  }
  if (count > 0) fit.mean_misfit = sum / count;
  return fit;
}
