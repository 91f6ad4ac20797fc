#include "refine/continuous_fit.h"

#include <cmath>

#include "geometry/vectors.h"
#include "math/double_functions.h"


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

void score_gradient(const ContinuousState& state, const SlipData& d, const WeightFunction& weight,
                    const double* counts, const double* scores, double gradient[4]) {
  const Vec3d e1 = state.axes.sigma1, e2 = state.axes.sigma2;
  const double phi = state.phi;
  Vec3d turn{0.0, 0.0, 0.0};
  double along_phi_sum = 0.0;
  for (int32_t j = 0; j < d.count; ++j) {
    const Vec3d n{d.nx[j], d.ny[j], d.nz[j]}, s{d.sx[j], d.sy[j], d.sz[j]};
    const double a = dot(e1, n), b = dot(e2, n), as = dot(e1, s), bs = dot(e2, s), ns = d.ns[j];
    // As misfit_cosines, term for term.
    double pb = phi * b;
    double tn = a * a + pb * b;
    double tt = a * a + pb * pb;
    double along = a * as + pb * bs - tn * ns;
    double shear_squared = tt - tn * tn;
    double shear = std::sqrt(shear_squared > 0.0 ? shear_squared : 0.0);
    if (shear < NEGLIGIBLE_SHEAR) continue;
    double c = along / shear;
    if (!(c > -1.0 && c < 1.0)) continue;
    // The cosine's partial derivatives in a, b, a_s = sigma1 . s,
    // b_s = sigma2 . s and Phi: c = along / sqrt(S), S = tt - tn^2.
    auto partial = [&](double along_x, double tn_x, double tt_x) {
      double s_x = tt_x - 2.0 * tn * tn_x;
      return (along_x - 0.5 * c * s_x / shear) / shear;
    };
    double c_a = partial(as - 2.0 * a * ns, 2.0 * a, 2.0 * a);
    double c_b = partial(phi * bs - 2.0 * pb * ns, 2.0 * pb, 2.0 * phi * pb);
    double c_as = a / shear, c_bs = pb / shear;
    double c_phi = partial(b * bs - b * b * ns, b * b, 2.0 * pb * b);
    double w = (scores[j] + 100.0) / 200.0;
    double f = 200.0 * weight.slope(c, w) * (counts == nullptr ? 1.0 : counts[j]);
    if (f == 0.0) continue;
    // A turn w moves sigma1 by w x sigma1, so a by w . (sigma1 x n): the
    // turn's gradient is sigma1 x (c_a n + c_as s) + sigma2 x (c_b n + c_bs s).
    const Vec3d g1 = cross(e1, Vec3d{c_a * n.x + c_as * s.x, c_a * n.y + c_as * s.y,
                                     c_a * n.z + c_as * s.z});
    const Vec3d g2 = cross(e2, Vec3d{c_b * n.x + c_bs * s.x, c_b * n.y + c_bs * s.y,
                                     c_b * n.z + c_bs * s.z});
    turn.x += f * (g1.x + g2.x);
    turn.y += f * (g1.y + g2.y);
    turn.z += f * (g1.z + g2.z);
    along_phi_sum += f * c_phi;
  }
  gradient[0] = turn.x, gradient[1] = turn.y, gradient[2] = turn.z, gradient[3] = along_phi_sum;
}

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
  for (int32_t j = 0; j < data.count; ++j) angles[j] = acos_d(angles[j]);
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
