// Do the refined states and their cones hold against known truth? Data
// sets are drawn from stress states of random orientation and Phi with
// known measuring errors (as the grid's coverage check draws them),
// inverted on the grid, refined, and bootstrapped as sorvel does it. The
// refined best state must lie nearer the truth than the grid state, the
// 95 % cones of the refined resamples must contain the true axes with no
// allowance for the grid's spacing, and they must shrink with many good
// data below the spacing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "confidence/bootstrap.h"
#include "confidence/confidence_report.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/weight_functions.h"
#include "refine/resample_refinement.h"
#include "support/grid_fixture.h"
#include "support/synthetic_data.h"

namespace {

const double NOISE_LEVELS[] = {5.0, 10.0, 15.0, 20.0};
const int DATA_COUNTS[] = {20, 40, 60, 80};
const int SETS_PER_CELL = 15;
const int RESAMPLES = 1000;
const int LOOKED_AT = 4;  // the best grid states that sorvel's refinement may start from

struct Trial {
  int data;
  double noise;
  double grid_error[2];     // sigma1, sigma3: degrees from the truth
  double refined_error[2];
  double cone[2];           // of the refined resamples
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

Trial trial(int count, double noise, std::mt19937& random, const StepTable& scores,
            const WeightFunction& weight) {
  const GridPoint* grid = generated_grid().points.data();
  StressState truth = random_stress_state(random);
  std::vector<FaultDatum> data = noisy_data_set(truth, count, noise, random);
  std::vector<int8_t> table(static_cast<std::size_t>(count) * GSS_SIZE);
  fill_score_columns(grid, GSS_SIZE, data.data(), count, scores, table.data(), 2);
  std::vector<int32_t> sums(GSS_SIZE, 0);
  for (int j = 0; j < count; ++j)
    for (int32_t k = 0; k < GSS_SIZE; ++k) sums[k] += table[static_cast<std::size_t>(j) * GSS_SIZE + k];
  // The best grid states, the best first, the lowest index among equals.
  std::vector<int32_t> order(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) order[k] = k;
  std::partial_sort(order.begin(), order.begin() + LOOKED_AT, order.end(), [&](int32_t a, int32_t b) {
    return sums[a] > sums[b] || (sums[a] == sums[b] && a < b);
  });
  const std::vector<ContinuousState> starts =
      refinement_starts(grid, std::span<const int32_t>(order.data(), LOOKED_AT));
  const SlipData slips = slip_data(data.data(), count);
  const ContinuousState refined = refine_from_starts(starts, slips, weight).state;
  uint64_t seed = random();
  BootstrapResult r = bootstrap_best_states({table.data(), GSS_SIZE, count}, {RESAMPLES, seed, 2}, nullptr);
  EXPECT_EQ(r.error, "");
  std::vector<int32_t> winners;
  for (const ResampleBest& b : r.best) winners.push_back(b.index);
  ResampleRefinementRun run{&slips, &weight, grid, seed, 2};
  Confidence c = confidence_of_states(refined, refine_resamples(run, refined, winners), seed);

  const Vec3d true1 = axis_vector(truth.sigma1_azimuth, truth.sigma1_plunge);
  const Vec3d true3 = axis_vector(truth.sigma3_azimuth, truth.sigma3_plunge);
  return Trial{count, noise,
               {axis_angle(starts[0].axes.sigma1, true1), axis_angle(starts[0].axes.sigma3, true3)},
               {axis_angle(refined.axes.sigma1, true1), axis_angle(refined.axes.sigma3, true3)},
               {c.sigma1_cone, c.sigma3_cone}};
}

TEST(RefinedCoverageTest, RefinedStatesLieNearerTheTruthAndTheirConesCoverItWithoutAllowance) {
#ifdef SORVEL_UNDER_SANITIZER
  GTEST_SKIP() << "240 inversions, refinements and bootstraps take many minutes under the sanitizers";
#endif
  std::mt19937 random(20261209);
  const WeightFunction& weight = weight_function_of(1);
  const StepTable scores = score_step_table(weight);
  std::vector<Trial> trials;
  for (double noise : NOISE_LEVELS)
    for (int count : DATA_COUNTS)
      for (int s = 0; s < SETS_PER_CELL; ++s) trials.push_back(trial(count, noise, random, scores, weight));

  std::printf("  errors  sets  sigma1 covered  sigma3 covered  median cones  median error grid / refined\n");
  int covered_all[2] = {0, 0};
  std::vector<double> grid_errors[2], refined_errors[2];
  for (double noise : NOISE_LEVELS) {
    int sets = 0, covered[2] = {0, 0};
    std::vector<double> cones[2], grid_e, refined_e;
    for (const Trial& t : trials) {
      if (t.noise != noise) continue;
      ++sets;
      for (int a = 0; a < 2; ++a) {
        covered[a] += t.refined_error[a] <= t.cone[a];
        cones[a].push_back(t.cone[a]);
        grid_e.push_back(t.grid_error[a]);
        refined_e.push_back(t.refined_error[a]);
        grid_errors[a].push_back(t.grid_error[a]);
        refined_errors[a].push_back(t.refined_error[a]);
      }
    }
    std::printf("  %4.0f    %4d  %4d (%5.1f %%)  %4d (%5.1f %%)  %5.1f, %5.1f  %5.1f / %5.1f\n", noise,
                sets, covered[0], 100.0 * covered[0] / sets, covered[1], 100.0 * covered[1] / sets,
                median(cones[0]), median(cones[1]), median(grid_e), median(refined_e));
    covered_all[0] += covered[0];
    covered_all[1] += covered[1];
  }
  const int sets = static_cast<int>(trials.size());
  std::printf("  all     %4d  %4d (%5.1f %%)  %4d (%5.1f %%)\n", sets, covered_all[0],
              100.0 * covered_all[0] / sets, covered_all[1], 100.0 * covered_all[1] / sets);
  // (b) At 95 %, 240 sets cover fewer than 216 times (90 %) by chance
  // about once in ten thousand.
  EXPECT_GE(covered_all[0], sets * 90 / 100);
  EXPECT_GE(covered_all[1], sets * 90 / 100);
  // (a) The refined state lies nearer the truth than the grid state: the
  // ratio of the medians is 0.65 for sigma1 and 0.62 for sigma3 on these
  // sets, 0.64, 0.67 and 0.68, 0.60 on two other seeds, 0.69 and 0.64 over
  // eight seeds (1,920 sets), where the fit read as the data give it, with
  // its many small tops, gave 0.76 and 0.71.
  for (int a = 0; a < 2; ++a) {
    std::printf("  sigma%d: median error grid %.2f, refined %.2f degrees (ratio %.2f)\n", a == 0 ? 1 : 3,
                median(grid_errors[a]), median(refined_errors[a]),
                median(refined_errors[a]) / median(grid_errors[a]));
    EXPECT_LE(median(refined_errors[a]), 0.7 * median(grid_errors[a])) << "sigma" << (a == 0 ? 1 : 3);
  }
  // (c) The cones shrink with the data, below the grid's spacing.
  std::printf("  median cones sigma1, sigma3 by data (rows) and errors (columns):\n");
  for (int count : DATA_COUNTS) {
    std::printf("  %3d data", count);
    for (double noise : NOISE_LEVELS) {
      std::vector<double> cones[2];
      for (const Trial& t : trials)
        if (t.data == count && t.noise == noise)
          for (int a = 0; a < 2; ++a) cones[a].push_back(t.cone[a]);
      std::printf("   %4.1f, %4.1f", median(cones[0]), median(cones[1]));
      if (count == 80 && noise == 5.0) {
        EXPECT_LT(median(cones[0]), 6.0);
        EXPECT_LT(median(cones[1]), 6.0);
      }
    }
    std::printf("\n");
  }
}

}  // namespace
