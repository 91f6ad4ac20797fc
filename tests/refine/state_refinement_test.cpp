// The refinement of a best stress state against known truth: data made
// without errors from a state that lies between the grid's states are
// fitted by the refined state to the tenth of a degree and the hundredth
// of Phi, under every weight function, and the refined state is never
// worse than the grid state it starts from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <vector>

#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "geometry/vectors.h"
#include "refine/state_refinement.h"
#include "support/grid_fixture.h"
#include "support/synthetic_data.h"

namespace {

std::vector<FaultDatum> data_of(const std::string& text) {
  std::vector<FaultDatum> data;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    FaultDatum d{};
    char sense = 'N';
    if (std::sscanf(line.c_str(), "%f %f %f %f %c", &d.dip_direction, &d.dip_angle,
                    &d.slip_azimuth, &d.slip_plunge, &sense) != 5)
      continue;
    d.sense = sense;
    prepare_datum_geometry(d);
    data.push_back(d);
  }
  return data;
}

// The best grid states by their summed scores, the best first.
std::vector<int32_t> best_grid_states(const std::vector<FaultDatum>& data,
                                      const WeightFunction& weight, int count) {
  const Gss& gss = generated_grid();
  std::vector<int32_t> sums = sum_score_columns(gss.points.data(), GSS_SIZE, data.data(),
                                                static_cast<int32_t>(data.size()),
                                                score_step_table(weight), 2);
  std::vector<int32_t> order(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) order[k] = k;
  std::partial_sort(order.begin(), order.begin() + count, order.end(),
                    [&](int32_t a, int32_t b) { return sums[a] > sums[b] || (sums[a] == sums[b] && a < b); });
  order.resize(static_cast<std::size_t>(count));
  return order;
}

TEST(StateRefinementTest, RefinedStateFindsATrueStateBetweenTheGridsStates) {
  const StressState truth{123.7, 61.3, 0.0, 0.0, 0.37};
  // sigma3 perpendicular to sigma1: horizontal, 90 degrees off its trend.
  StressState state = truth;
  state.sigma3_azimuth = 213.7;
  const Vec3d true1 = axis_vector(state.sigma1_azimuth, state.sigma1_plunge);
  const Vec3d true3 = axis_vector(state.sigma3_azimuth, state.sigma3_plunge);
  const std::vector<FaultDatum> data = data_of(synthetic_data_file(state, 40, 7));
  ASSERT_EQ(data.size(), 40u);
  const SlipData slips = slip_data(data.data(), 40);
  for (int id = 1; id <= 4; ++id) {
    const WeightFunction& weight = weight_function_of(id);
    std::vector<ContinuousState> starts;
    for (int32_t k : best_grid_states(data, weight, 4))
      starts.push_back(continuous_state(generated_grid().points[k]));
    std::vector<double> scores(40);
    double grid_sum = continuous_score_sum(starts[0], slips, weight, nullptr, scores.data());
    RefinedState r = refine_from_starts(starts, slips, weight);
    EXPECT_GE(r.score_sum, grid_sum) << weight.name;
    double grid_off = axis_angle(starts[0].axes.sigma1, true1);
    EXPECT_GT(grid_off, 1.0) << "the truth must lie between the grid's states";
    EXPECT_LT(axis_angle(r.state.axes.sigma1, true1), 0.1) << weight.name;
    EXPECT_LT(axis_angle(r.state.axes.sigma3, true3), 0.1) << weight.name;
    EXPECT_NEAR(r.state.phi, truth.phi, 0.01) << weight.name;
    std::printf("  %-18s grid off %.2f deg, refined off %.4f, %.4f deg, Phi %.4f, score %.3f of %.3f\n",
                weight.name, grid_off, axis_angle(r.state.axes.sigma1, true1),
                axis_angle(r.state.axes.sigma3, true3), r.state.phi, r.score_sum / 40, grid_sum / 40);
  }
}

// The gradient from the derivatives of the misfit cosines is the slope
// the summed score shows: central differences of a millionth of a radian
// (and of Phi) about states near and far from the truth of noisy data,
// each datum counted as a resample counts it, under every weight function,
// the fit read as it is and smoothed.
TEST(StateRefinementTest, GradientIsTheSlopeOfTheSummedScore) {
  std::mt19937 random(31);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> drawn(0, 3);
  for (int trial = 0; trial < 12; ++trial) {
    const StressState truth = random_stress_state(random);
    // One set longer than the runs of data the sums take at a time.
    const std::vector<FaultDatum> data = noisy_data_set(truth, trial == 4 ? 600 : 40, 5.0 + 2.0 * trial, random);
    const int32_t n = static_cast<int32_t>(data.size());
    SlipData slips = slip_data(data.data(), n);
    slips.smoothing = trial % 3 == 0 ? 0.0 : 1.5 * trial;
    std::vector<double> counts(data.size()), scores(data.size());
    for (double& c : counts) c = drawn(random);
    const Vec3d e1 = axis_vector(truth.sigma1_azimuth, truth.sigma1_plunge);
    const Vec3d e3 = axis_vector(truth.sigma3_azimuth, truth.sigma3_plunge);
    const double off = trial % 2 ? 0.02 : 0.3;  // radians: near the truth and far from it
    const ContinuousState state = moved_state(
        ContinuousState{PrincipalAxes{e1, cross(e3, e1), e3}, 0.5},
        StateStep{{off * u(random), off * u(random), off * u(random)}, 0.45 * u(random)});
    for (int id = 1; id <= 4; ++id) {
      const WeightFunction& weight = weight_function_of(id);
      double gradient[4];
      std::vector<double> at(data.size());
      continuous_scores(state, slips, weight, at.data());
      score_gradient(state, slips, weight, counts.data(), at.data(), gradient);
      for (int i = 0; i < 4; ++i) {
        const double h = 1e-6;
        StateStep plus{{0.0, 0.0, 0.0}, 0.0}, minus{{0.0, 0.0, 0.0}, 0.0};
        double* p[4] = {&plus.turn.x, &plus.turn.y, &plus.turn.z, &plus.phi};
        double* m[4] = {&minus.turn.x, &minus.turn.y, &minus.turn.z, &minus.phi};
        *p[i] = h, *m[i] = -h;
        const double slope =
            (continuous_score_sum(moved_state(state, plus), slips, weight, counts.data(), scores.data()) -
             continuous_score_sum(moved_state(state, minus), slips, weight, counts.data(), scores.data())) /
            (2.0 * h);
        EXPECT_NEAR(gradient[i], slope, 1e-4 * (std::fabs(slope) + 10.0))
            << weight.name << ", trial " << trial << ", parameter " << i << ", smoothing "
            << slips.smoothing;
      }
    }
  }
}

}  // namespace
