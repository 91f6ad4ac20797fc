#include "refine/continuous_fit.h"

#include <algorithm>
#include <cmath>

#include "geometry/vectors.h"
#include "math/double_functions.h"


namespace {

// A shear traction shorter than this drives no slip: the misfit is then a
// right angle, as the grid's scores take it.
const double NEGLIGIBLE_SHEAR = 2.3841858e-7;

// The axes of a state and its Phi, as the sums take them.
struct Axes {
  Vec3d e1, e2;
  double phi;
};

// The cosine of datum j's misfit. With a = sigma1 . n and b = sigma2 . n
// the traction is t = a sigma1 + phi b sigma2, so t . n = a^2 + phi b^2
// and t . t = a^2 + phi^2 b^2; the shear t - (t . n) n has the length
// sqrt(t . t - (t . n)^2) and the component t . s - (t . n)(n . s) along
// the slip. The same products for every datum.
inline double misfit_cosine(const Axes& at, const SlipData& d, int32_t j) {
  const Vec3d e1 = at.e1, e2 = at.e2;
  double a = e1.x * d.nx[j] + e1.y * d.ny[j] + e1.z * d.nz[j];
  double b = e2.x * d.nx[j] + e2.y * d.ny[j] + e2.z * d.nz[j];
  double as = e1.x * d.sx[j] + e1.y * d.sy[j] + e1.z * d.sz[j];
  double bs = e2.x * d.sx[j] + e2.y * d.sy[j] + e2.z * d.sz[j];
  double pb = at.phi * b;
  double tn = a * a + pb * b;
  double tt = a * a + pb * pb;
  double along = a * as + pb * bs - tn * d.ns[j];
  double shear_squared = tt - tn * tn;
  double shear = std::sqrt(shear_squared > 0.0 ? shear_squared : 0.0);
  double c = shear < NEGLIGIBLE_SHEAR ? 0.0 : along / shear;
  return c > 1.0 ? 1.0 : (c < -1.0 ? -1.0 : c);
}

// The turns of a smoothed reading: h degrees either way about each of
// the frame's four diagonals. Their mean is no turn and their spread is
// the same in every direction, so that the smoothing moves no top of a
// fit that is quadratic about it; four turns alone (about the corners
// of a tetrahedron) cost half as much but left the refined states of
// some sets of synthetic data farther from the truth than the fit as
// the data give it.
const int SMOOTHING_TURNS = 8;

struct Turn {
  Vec3d axis;
  double degrees;
};

void smoothing_turns(double h, Turn turns[SMOOTHING_TURNS]) {
  const double r = 1.0 / std::sqrt(3.0);
  const Vec3d DIAGONALS[4] = {{r, r, r}, {r, -r, r}, {-r, r, r}, {r, r, -r}};
  for (int i = 0; i < 4; ++i) {
    turns[2 * i] = Turn{DIAGONALS[i], h};
    turns[2 * i + 1] = Turn{DIAGONALS[i], -h};
  }
}

Axes axes_of(const ContinuousState& state) { return Axes{state.axes.sigma1, state.axes.sigma2, state.phi}; }

Axes turned_axes(const Axes& at, const Turn& t) {
  return Axes{turned(at.e1, t.axis, t.degrees), turned(at.e2, t.axis, t.degrees), at.phi};
}

// Adds datum j's part of the gradient at `at`, the datum counted `count`
// times: the turn's part to `turn`, Phi's to `phi_part`. The weight w at
// its misfit comes from its score where the caller has one (w >= 0),
// else from the cosine.
void add_datum_gradient(const Axes& at, const SlipData& d, int32_t j, const WeightFunction& weight,
                        double count, double w, Vec3d& turn, double& phi_part) {
  const Vec3d e1 = at.e1, e2 = at.e2;
  const double phi = at.phi;
  const Vec3d n{d.nx[j], d.ny[j], d.nz[j]}, s{d.sx[j], d.sy[j], d.sz[j]};
  const double a = dot(e1, n), b = dot(e2, n), as = dot(e1, s), bs = dot(e2, s), ns = d.ns[j];
  // As misfit_cosine, term for term.
  double pb = phi * b;
  double tn = a * a + pb * b;
  double tt = a * a + pb * pb;
  double along = a * as + pb * bs - tn * ns;
  double shear_squared = tt - tn * tn;
  double shear = std::sqrt(shear_squared > 0.0 ? shear_squared : 0.0);
  if (shear < NEGLIGIBLE_SHEAR) return;
  double c = along / shear;
  if (!(c > -1.0 && c < 1.0)) return;
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
  if (w < 0.0) w = weight.weight_of_cosine(c);
  double f = 200.0 * weight.slope(c, w) * count;
  if (f == 0.0) return;
  // A turn w moves sigma1 by w x sigma1, so a by w . (sigma1 x n): the
  // turn's gradient is sigma1 x (c_a n + c_as s) + sigma2 x (c_b n + c_bs s).
  const Vec3d g1 = cross(e1, Vec3d{c_a * n.x + c_as * s.x, c_a * n.y + c_as * s.y,
                                   c_a * n.z + c_as * s.z});
  const Vec3d g2 = cross(e2, Vec3d{c_b * n.x + c_bs * s.x, c_b * n.y + c_bs * s.y,
                                   c_b * n.z + c_bs * s.z});
  turn.x += f * (g1.x + g2.x);
  turn.y += f * (g1.y + g2.y);
  turn.z += f * (g1.z + g2.z);
  phi_part += f * c_phi;
}

}  // namespace

void score_gradient(const ContinuousState& state, const SlipData& d, const WeightFunction& weight,
                    const double* counts, const double* scores, double gradient[4]) {
  const Axes at = axes_of(state);
  Vec3d turn{0.0, 0.0, 0.0};
  double phi_part = 0.0;
  if (d.smoothing <= 0.0) {
    for (int32_t j = 0; j < d.count; ++j)
      add_datum_gradient(at, d, j, weight, counts == nullptr ? 1.0 : counts[j],
                         (scores[j] + 100.0) / 200.0, turn, phi_part);
  } else {
    // A turn w of the state turns the state turned by R as R w turns it:
    // each turned state's gradient in w is R^T of its own.
    Turn turns[SMOOTHING_TURNS];
    smoothing_turns(d.smoothing, turns);
    for (const Turn& t : turns) {
      const Axes turned_at = turned_axes(at, t);
      Vec3d part{0.0, 0.0, 0.0};
      for (int32_t j = 0; j < d.count; ++j)
        add_datum_gradient(turned_at, d, j, weight, counts == nullptr ? 1.0 : counts[j], -1.0, part,
                           phi_part);
      const Vec3d back = turned(part, t.axis, -t.degrees);
      turn.x += back.x, turn.y += back.y, turn.z += back.z;
    }
    turn.x /= SMOOTHING_TURNS, turn.y /= SMOOTHING_TURNS, turn.z /= SMOOTHING_TURNS;
    phi_part /= SMOOTHING_TURNS;
  }
  gradient[0] = turn.x, gradient[1] = turn.y, gradient[2] = turn.z, gradient[3] = phi_part;
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

namespace {

// The misfit cosines of the data from `from` to before `to`.
void misfit_cosines(const Axes& at, const SlipData& d, int32_t from, int32_t to, double* cosines) {
  for (int32_t j = from; j < to; ++j) cosines[j - from] = misfit_cosine(at, d, j);
}

}  // namespace

int32_t states_per_score(const SlipData& data) { return data.smoothing > 0.0 ? SMOOTHING_TURNS : 1; }

void misfit_angles(const ContinuousState& state, const SlipData& data, double* angles) {
  misfit_cosines(axes_of(state), data, 0, data.count, angles);
  for (int32_t j = 0; j < data.count; ++j) angles[j] = acos_d(angles[j]);
}

void continuous_scores(const ContinuousState& state, const SlipData& data,
                       const WeightFunction& weight, double* scores) {
  const Axes at = axes_of(state);
  if (data.smoothing <= 0.0) {
    misfit_cosines(at, data, 0, data.count, scores);
    for (int32_t j = 0; j < data.count; ++j) scores[j] = 200.0 * weight.weight_of_cosine(scores[j]) - 100.0;
    return;
  }
  Turn turns[SMOOTHING_TURNS];
  smoothing_turns(data.smoothing, turns);
  Axes turned_at[SMOOTHING_TURNS];
  for (int k = 0; k < SMOOTHING_TURNS; ++k) turned_at[k] = turned_axes(at, turns[k]);
  // A run of data at a time, each turn's cosines in one pass.
  const int32_t RUN = 256;
  double cosines[RUN];
  for (int32_t from = 0; from < data.count; from += RUN) {
    const int32_t to = std::min(from + RUN, data.count);
    for (int32_t j = from; j < to; ++j) scores[j] = 0.0;
    for (const Axes& t : turned_at) {
      misfit_cosines(t, data, from, to, cosines);
      for (int32_t j = from; j < to; ++j) scores[j] += 200.0 * weight.weight_of_cosine(cosines[j - from]) - 100.0;
    }
    for (int32_t j = from; j < to; ++j) scores[j] /= SMOOTHING_TURNS;
  }
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
