#include "refine/continuous_fit.h"

#include <algorithm>
#include <cmath>

#include "common/vector_clones.h"
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

// A run of data as plain arrays, from its first datum on.
struct RunOfData {
  const double *nx, *ny, *nz, *sx, *sy, *sz, *ns;
};

RunOfData run_from(const SlipData& d, int32_t from) {
  return RunOfData{d.nx.data() + from, d.ny.data() + from, d.nz.data() + from, d.sx.data() + from,
                   d.sy.data() + from, d.sz.data() + from, d.ns.data() + from};
}

// The products of datum j's misfit. With a = sigma1 . n and b = sigma2 . n
// the traction is t = a sigma1 + phi b sigma2, so t . n = a^2 + phi b^2
// and t . t = a^2 + phi^2 b^2; the shear t - (t . n) n has the length
// sqrt(t . t - (t . n)^2) and the component t . s - (t . n)(n . s) along
// the slip. `drives` is false where the shear is negligible, and `shear`
// then 1, so that every datum divides by it without a branch (and
// several data at a time); what it gives there is not used.
struct MisfitTerms {
  double a, b, as, bs, ns, pb, tn, along, shear;
  bool drives;
};

inline MisfitTerms misfit_terms(const Axes& at, const RunOfData& r, int32_t j) {
  const Vec3d e1 = at.e1, e2 = at.e2;
  MisfitTerms t;
  t.a = e1.x * r.nx[j] + e1.y * r.ny[j] + e1.z * r.nz[j];
  t.b = e2.x * r.nx[j] + e2.y * r.ny[j] + e2.z * r.nz[j];
  t.as = e1.x * r.sx[j] + e1.y * r.sy[j] + e1.z * r.sz[j];
  t.bs = e2.x * r.sx[j] + e2.y * r.sy[j] + e2.z * r.sz[j];
  t.ns = r.ns[j];
  t.pb = at.phi * t.b;
  t.tn = t.a * t.a + t.pb * t.b;
  double tt = t.a * t.a + t.pb * t.pb;
  t.along = t.a * t.as + t.pb * t.bs - t.tn * t.ns;
  double shear_squared = tt - t.tn * t.tn;
  double shear = std::sqrt(shear_squared > 0.0 ? shear_squared : 0.0);
  t.drives = !(shear < NEGLIGIBLE_SHEAR);
  t.shear = t.drives ? shear : 1.0;
  return t;
}

// The misfit cosines of the data from `from` to before `to`, which the
// compiler takes several data at a time (two in SSE2, four in AVX2) with
// the same operations on each: the same bits as one at a time.
SORVEL_VECTOR_KERNEL(void, misfit_cosines,
                     (const Axes& at, const SlipData& d, int32_t from, int32_t to,
                      double* __restrict cosines),
                     (at, d, from, to, cosines)) {
  const RunOfData r = run_from(d, from);
#pragma omp simd
  for (int32_t j = 0; j < to - from; ++j) {
    const MisfitTerms t = misfit_terms(at, r, j);
    double c = t.along / t.shear;
    c = t.drives ? c : 0.0;
    cosines[j] = c > 1.0 ? 1.0 : (c < -1.0 ? -1.0 : c);
  }
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

// The data are taken in runs of this many, their intermediate values on
// the stack.
const int32_t RUN = 256;

// Each datum's cosine and its parts of the gradient before the weight's
// slope, for a run of data.
struct RunParts {
  double cosine[RUN], x[RUN], y[RUN], z[RUN], phi[RUN];
  double used[RUN];  // 1 for a datum with a part, 0 else
};

// The parts of the m data of run r at `at`, over plain arrays that the
// compiler takes several data at a time.
SORVEL_VECTOR_KERNEL(void, gradient_parts, (const Axes& at, const RunOfData& r, int32_t m, RunParts& p),
                     (at, r, m, p)) {
  const Vec3d e1 = at.e1, e2 = at.e2;
  const double phi = at.phi;
#pragma omp simd
  for (int32_t j = 0; j < m; ++j) {
    const MisfitTerms t = misfit_terms(at, r, j);
    const double a = t.a, b = t.b, as = t.as, bs = t.bs, ns = t.ns, pb = t.pb, tn = t.tn, shear = t.shear;
    const double c = t.along / shear;
    p.used[j] = t.drives && c > -1.0 && c < 1.0 ? 1.0 : 0.0;
    p.cosine[j] = p.used[j] != 0.0 ? c : 0.0;  // within the weights' domain
    // The cosine's partial derivatives in a, b, a_s = sigma1 . s,
    // b_s = sigma2 . s and Phi: c = along / sqrt(S), S = tt - tn^2.
    auto partial = [&](double along_x, double tn_x, double tt_x) {
      double s_x = tt_x - 2.0 * tn * tn_x;
      return (along_x - 0.5 * c * s_x / shear) / shear;
    };
    double c_a = partial(as - 2.0 * a * ns, 2.0 * a, 2.0 * a);
    double c_b = partial(phi * bs - 2.0 * pb * ns, 2.0 * pb, 2.0 * phi * pb);
    double c_as = a / shear, c_bs = pb / shear;
    // A turn w moves sigma1 by w x sigma1, so a by w . (sigma1 x n): the
    // turn's gradient is sigma1 x (c_a n + c_as s) + sigma2 x (c_b n + c_bs s).
    const Vec3d n{r.nx[j], r.ny[j], r.nz[j]}, s{r.sx[j], r.sy[j], r.sz[j]};
    const Vec3d g1 = cross(e1, Vec3d{c_a * n.x + c_as * s.x, c_a * n.y + c_as * s.y,
                                     c_a * n.z + c_as * s.z});
    const Vec3d g2 = cross(e2, Vec3d{c_b * n.x + c_bs * s.x, c_b * n.y + c_bs * s.y,
                                     c_b * n.z + c_bs * s.z});
    p.x[j] = g1.x + g2.x;
    p.y[j] = g1.y + g2.y;
    p.z[j] = g1.z + g2.z;
    p.phi[j] = partial(b * bs - b * b * ns, b * b, 2.0 * pb * b);
  }
}

// Adds the gradient of the data from `from` to before `to` at `at`, datum
// j counted counts[j] times (once without counts): the turn's part to
// `turn`, Phi's to `phi_part`. Each datum's weight comes from its score
// where the caller has them (scores, indexed as the data), else from its
// cosine. First, several data at a time, each datum's cosine and its
// parts before the weight's slope, then the weights and slopes; last, one
// datum after another and in the data's order, the sums, so that they
// are those of one datum at a time to the bit.
void add_run_gradient(const Axes& at, const SlipData& d, int32_t from, int32_t to,
                      const WeightFunction& weight, const double* counts, const double* scores,
                      Vec3d& turn, double& phi_part) {
  const int32_t m = to - from;
  RunParts p;
  gradient_parts(at, run_from(d, from), m, p);
  double w[RUN], slope[RUN];
  if (scores != nullptr) {
    for (int32_t j = 0; j < m; ++j) w[j] = (scores[from + j] + 100.0) / 200.0;
  } else {
    std::copy(p.cosine, p.cosine + m, w);
    weight.weights_of_cosines(w, m);
  }
  weight.slopes_of_cosines(p.cosine, w, m, slope);
  for (int32_t j = 0; j < m; ++j) {
    if (p.used[j] == 0.0) continue;
    double f = 200.0 * slope[j] * (counts == nullptr ? 1.0 : counts[from + j]);
    if (f == 0.0) continue;
    turn.x += f * p.x[j];
    turn.y += f * p.y[j];
    turn.z += f * p.z[j];
    phi_part += f * p.phi[j];
  }
}

// The gradient of all the data at `at`, added as add_run_gradient does.
void add_gradient(const Axes& at, const SlipData& d, const WeightFunction& weight, const double* counts,
                  const double* scores, Vec3d& turn, double& phi_part) {
  for (int32_t from = 0; from < d.count; from += RUN)
    add_run_gradient(at, d, from, std::min(from + RUN, d.count), weight, counts, scores, turn, phi_part);
}

}  // namespace

void score_gradient(const ContinuousState& state, const SlipData& d, const WeightFunction& weight,
                    const double* counts, const double* scores, double gradient[4]) {
  const Axes at = axes_of(state);
  Vec3d turn{0.0, 0.0, 0.0};
  double phi_part = 0.0;
  if (d.smoothing <= 0.0) {
    add_gradient(at, d, weight, counts, scores, turn, phi_part);
  } else {
    // A turn w of the state turns the state turned by R as R w turns it:
    // each turned state's gradient in w is R^T of its own.
    Turn turns[SMOOTHING_TURNS];
    smoothing_turns(d.smoothing, turns);
    for (const Turn& t : turns) {
      const Axes turned_at = turned_axes(at, t);
      Vec3d part{0.0, 0.0, 0.0};
      add_gradient(turned_at, d, weight, counts, nullptr, part, phi_part);
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
    weight.weights_of_cosines(scores, data.count);
    for (int32_t j = 0; j < data.count; ++j) scores[j] = 200.0 * scores[j] - 100.0;
    return;
  }
  Turn turns[SMOOTHING_TURNS];
  smoothing_turns(data.smoothing, turns);
  Axes turned_at[SMOOTHING_TURNS];
  for (int k = 0; k < SMOOTHING_TURNS; ++k) turned_at[k] = turned_axes(at, turns[k]);
  // A run of data at a time, each turn's cosines in one pass.
  double cosines[RUN];
  for (int32_t from = 0; from < data.count; from += RUN) {
    const int32_t to = std::min(from + RUN, data.count);
    for (int32_t j = from; j < to; ++j) scores[j] = 0.0;
    for (const Axes& t : turned_at) {
      misfit_cosines(t, data, from, to, cosines);
      weight.weights_of_cosines(cosines, to - from);
      for (int32_t j = from; j < to; ++j) scores[j] += 200.0 * cosines[j - from] - 100.0;
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
