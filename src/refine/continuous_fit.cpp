#include "refine/continuous_fit.h"

#include <cmath>


namespace {

// A shear traction shorter than this drives no slip: the misfit is then a
// right angle, as the grid's scores take it.
const double NEGLIGIBLE_SHEAR = 2.3841858e-7;

// The cosine of every datum's misfit. With a = sigma1 . n and b = sigma2 . n
// the traction is t = a sigma1 + phi b sigma2, so t . n = a^2 + phi b^2
// and t . t = a^2 + phi^2 b^2; the shear t - (t . n) n has the length
// sqrt(t . t - (t . n)^2) and the component t . s - (t . n)(n . s) along
// the slip. One pass of products, the same for every datum.
void misfit_cosines(const ContinuousState& state, const SlipData& d, double* cosines) {
  const Vec3d e1 = state.axes.sigma1, e2 = state.axes.sigma2;
  const double phi = state.phi;
  for (int32_t j = 0; j < d.count; ++j) {
    double a = e1.x * d.nx[j] + e1.y * d.ny[j] + e1.z * d.nz[j];
    double b = e2.x * d.nx[j] + e2.y * d.ny[j] + e2.z * d.nz[j];
    double as = e1.x * d.sx[j] + e1.y * d.sy[j] + e1.z * d.sz[j];
    double bs = e2.x * d.sx[j] + e2.y * d.sy[j] + e2.z * d.sz[j];
    double pb = phi * b;
    double tn = a * a + pb * b;
    double tt = a * a + pb * pb;
    double along = a * as + pb * bs - tn * d.ns[j];
    double shear_squared = tt - tn * tn;
    double shear = std::sqrt(shear_squared > 0.0 ? shear_squared : 0.0);
    double c = shear < NEGLIGIBLE_SHEAR ? 0.0 : along / shear;
    cosines[j] = c > 1.0 ? 1.0 : (c < -1.0 ? -1.0 : c);
  }
}

}  // namespace

SlipData slip_data(const FaultDatum* data, int32_t count) {
  SlipData d;
  d.count = count;
  for (std::vector<double>* v : {&d.nx, &d.ny, &d.nz, &d.sx, &d.sy, &d.sz, &d.ns})
    v->resize(static_cast<std::size_t>(count));
  for (int32_t j = 0; j < count; ++j) {
    Vec3d n = unit_vector(data[j].normal_vector), s = unit_vector(data[j].slip_vector);
    d.nx[j] = n.x, d.ny[j] = n.y, d.nz[j] = n.z;
    d.sx[j] = s.x, d.sy[j] = s.y, d.sz[j] = s.z;
    d.ns[j] = dot(n, s);
  }
  return d;
}

void misfit_angles(const ContinuousState& state, const SlipData& data, double* angles) {
  misfit_cosines(state, data, angles);
  for (int32_t j = 0; j < data.count; ++j) angles[j] = std::acos(angles[j]);
}

void continuous_scores(const ContinuousState& state, const SlipData& data,
                       const WeightFunction& weight, double* scores) {
  misfit_cosines(state, data, scores);
  for (int32_t j = 0; j < data.count; ++j)
    scores[j] = 200.0 * weight.weight_of_cosine(scores[j]) - 100.0;
}

double counted_sum(const double* scores, const double* counts, int32_t n) {
  double sum = 0.0;
  if (counts == nullptr) {
    for (int32_t j = 0; j < n; ++j) sum += scores[j];
  } else {
    for (int32_t j = 0; j < n; ++j) sum += counts[j] * scores[j];
  }
  return sum;
}

double continuous_score_sum(const ContinuousState& state, const SlipData& data,
                            const WeightFunction& weight, const double* counts, double* scratch) {
  continuous_scores(state, data, weight, scratch);
  return counted_sum(scratch, counts, data.count);
}
