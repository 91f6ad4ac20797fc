// Mixed data separated into populations, checked against the states that
// made them: synthetic mixtures of two to four populations with 8 to 12
// degrees of noise, some with random data mixed in, pairs that share an
// axis, unequal sizes, and a single population. A datum of a population
// is asked of the population found nearest to its true state only when
// the true states themselves give it to that state (least misfit, under
// the fit limit).
//
// What is checked over 36 such sets, separated both by the grid's states
// and by the refined ones: the count right in at least 4 of 5
// but where two normal regimes mix (a low-Phi normal state then often
// explains both, and one population is found: 3 of 4 sets overall);
// a population that is not there (farther than 30 degrees from every
// true state) at most once in 4 sets; at most 1 of 5 true populations
// missed (no state found within 25 degrees); the others found within 12
// degrees (sigma1 and sigma3) and given at least 80 % of their data at
// the median; a single clean population found as one. The grid's states
// lie 10 degrees apart, and even the best grid state of each
// population's own data gives only 75 to 95 % of its data back on these
// mixtures, so 90 % for every population cannot be asked; by the refined
// states 90 % is asked at the median.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "geometry/vectors.h"

#include "analyses/mim/mim_pipeline.h"
#include "analyses/populations/population_search.h"
#include "fitness/fill_reference.h"
#include "grid/state_axes.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {


struct TruePopulation {
  StressState state;
  int count;
};

struct Mixture {
  const char* name;
  std::vector<TruePopulation> populations;
  double noise;          // degrees
  double random_share;   // random data mixed in, a share of the rest
  int k;                 // subset size of the MIM run
  unsigned seed;
  bool regimes_alike = false;  // two normal regimes: often explained as one
  int weight_id = 3;
};

// The reduced tensor of a state, column by column, as a GridPoint holds it.
std::vector<float> tensor_of(const StressState& s) {
  auto axis = [](double az, double pl) {
    return std::array<double, 3>{std::cos(pl * DEGREE) * std::sin(az * DEGREE),
                                 std::cos(pl * DEGREE) * std::cos(az * DEGREE), -std::sin(pl * DEGREE)};
  };
  std::array<double, 3> e1 = axis(s.sigma1_azimuth, s.sigma1_plunge);
  std::array<double, 3> e3 = axis(s.sigma3_azimuth, s.sigma3_plunge);
  std::array<double, 3> e2 = {e3[1] * e1[2] - e3[2] * e1[1], e3[2] * e1[0] - e3[0] * e1[2],
                              e3[0] * e1[1] - e3[1] * e1[0]};
  std::vector<float> t(9);
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) t[size_t(3 * c + r)] = float(e1[r] * e1[c] + s.phi * e2[r] * e2[c]);
  return t;
}

// A datum of a random plane and slip: made by a random state of its own,
// sigma1 a random direction and sigma3 a random one across it.
std::string random_datum(std::mt19937& random) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::normal_distribution<double> g(0.0, 1.0);
  while (true) {
    std::array<double, 3> a = {g(random), g(random), g(random)}, b = {g(random), g(random), g(random)};
    std::array<double, 3> c = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                               a[0] * b[1] - a[1] * b[0]};
    auto trend_plunge = [](std::array<double, 3> v, double& trend, double& plunge) {
      double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
      if (v[2] > 0) n = -n;  // the downward end
      plunge = std::asin(-v[2] / n) / DEGREE;
      trend = std::fmod(std::atan2(v[0] / n, v[1] / n) / DEGREE + 360.0, 360.0);
    };
    StressState s{};
    trend_plunge(a, s.sigma1_azimuth, s.sigma1_plunge);
    trend_plunge(c, s.sigma3_azimuth, s.sigma3_plunge);  // across sigma1
    s.phi = u(random);
    std::string line = noisy_synthetic_datum(s, 360 * u(random), 10 + 80 * u(random), 0, random);
    if (!line.empty()) return line;
  }
}

struct MixedData {
  std::string text;
  std::vector<int> origin;  // 1-based true population, 0 for a random datum
};

MixedData mixed_data(const Mixture& m) {
  std::mt19937 random(m.seed);
  std::uniform_real_distribution<double> azimuth(0.0, 360.0), dip(15.0, 85.0);
  std::vector<std::pair<std::string, int>> lines;
  int total = 0;
  for (size_t p = 0; p < m.populations.size(); ++p) {
    for (int made = 0; made < m.populations[p].count;) {
      std::string line = noisy_synthetic_datum(m.populations[p].state, azimuth(random), dip(random),
                                               m.noise, random);
      if (line.empty()) continue;
      lines.push_back({line, int(p + 1)});
      ++made;
    }
    total += m.populations[p].count;
  }
  int randoms = int(std::lround(m.random_share * total));
  for (int r = 0; r < randoms; ++r) lines.push_back({random_datum(random), 0});
  std::shuffle(lines.begin(), lines.end(), random);
  MixedData d;
  for (const auto& [line, origin] : lines) {
    d.text += line + "\n";
    d.origin.push_back(origin);
  }
  return d;
}

struct Outcome {
  int found = 0;
  std::vector<double> state_error;    // per true population: degrees to its found state, or 180
  std::vector<double> rightly_given;  // per true population: share of its data given to it
  int spurious = 0;  // found populations farther than 30 degrees from every true state
};

// Degrees from the state found (refined when it was) to a true state.
double state_distance(const Gss& gss, const Population& p, const StressState& s) {
  if (p.refined) {
    TrendPlunge s1 = downward_trend_plunge(p.refined->axes.sigma1);
    TrendPlunge s3 = downward_trend_plunge(p.refined->axes.sigma3);
    return std::max(axis_angle(s1.trend, s1.plunge, s.sigma1_azimuth, s.sigma1_plunge),
                    axis_angle(s3.trend, s3.plunge, s.sigma3_azimuth, s.sigma3_plunge));
  }
  StateAxes a = state_axes(gss.points[size_t(p.index)]);
  return std::max(axis_angle(a.sigma1.azimuth, a.sigma1.plunge, s.sigma1_azimuth, s.sigma1_plunge),
                  axis_angle(a.sigma3.azimuth, a.sigma3.plunge, s.sigma3_azimuth, s.sigma3_plunge));
}

Outcome judge(const Mixture& m, const MimRun& run, const PopulationSearch& search, const std::vector<int>& origin) {
  Outcome o;
  o.found = int(search.populations.size());
  const Gss& gss = run.tables.gss;
  const FaultSet& faults = run.tables.faults;
  std::vector<int> given(size_t(faults.count), 0);
  for (size_t p = 0; p < search.populations.size(); ++p)
    for (int32_t i : search.populations[p].data) given[size_t(i)] = int(p + 1);
  for (const Population& p : search.populations) {
    double least = 180;
    for (const TruePopulation& t : m.populations)
      least = std::min(least, state_distance(gss, p, t.state));
    o.spurious += least > 30;
  }
  for (size_t t = 0; t < m.populations.size(); ++t) {
    // The found population nearest to the true state.
    double least = 180;
    int match = 0;
    for (size_t p = 0; p < search.populations.size(); ++p) {
      double d = state_distance(gss, search.populations[p], m.populations[t].state);
      if (d < least) least = d, match = int(p + 1);
    }
    o.state_error.push_back(least);
    // The data the true states give to this one: least misfit under the limit.
    int asked = 0, right = 0;
    for (int32_t i = 0; i < faults.count; ++i) {
      long best = 1000;
      size_t best_state = 0;
      for (size_t u = 0; u < m.populations.size(); ++u) {
        long misfit = misfit_degrees(tensor_of(m.populations[u].state).data(), faults.data[size_t(i)]);
        if (misfit < best) best = misfit, best_state = u;
      }
      if (origin[size_t(i)] != int(t + 1) || best_state != t ||
          double(best) >= DEFAULT_SEPARATION_OPTIONS.fit_limit)
        continue;
      ++asked;
      if (match > 0 && given[size_t(i)] == match) ++right;
    }
    o.rightly_given.push_back(asked ? double(right) / asked : 1.0);
  }
  return o;
}

class PopulationSeparation : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    settings_.threads = 2;
    settings_.quiet = true;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // The separation by grid states and by refined ones, on the same run.
  std::array<Outcome, 2> separate(const Mixture& m, std::array<PopulationSearch, 2>& search) {
    MixedData d = mixed_data(m);
    std::string data = folder_ + "/mixed.fdt";
    std::ofstream(data) << d.text;
    AnalysisRun run;
    run.data_file = data;
    run.results_file = folder_ + "/mixed.mim";
    std::filesystem::remove(run.results_file);
    run.weight_id = int8_t(m.weight_id);
    run.subset_size = int8_t(m.k);
    MimRun result;
    EXPECT_FALSE(MIM_run(run, current_job_time(), settings_, result));
    std::array<Outcome, 2> outcomes;
    for (int refine = 0; refine < 2; ++refine) {
      SeparationOptions options = DEFAULT_SEPARATION_OPTIONS;
      options.refine = refine == 1;
      search[size_t(refine)] = separate_populations(result.tables.gss, result.tables.faults,
                                                    result.tables.table, result.votes, options,
                                                    weight_function_of(run.weight_id));
      outcomes[size_t(refine)] = judge(m, result, search[size_t(refine)], d.origin);
    }
    return outcomes;
  }

  std::string folder_;
  RunSettings settings_;
};

// Normal, reverse and strike-slip regimes and pairs that share an axis.
const StressState NORMAL_EW = {0, 90, 100, 0, 0.5};
const StressState STRIKE_SLIP_SHARING_SIGMA3 = {10, 0, 100, 0, 0.4};
const StressState THRUST_NS = {175, 0, 0, 90, 0.6};
const StressState NORMAL_NS = {0, 90, 5, 0, 0.3};
const StressState STRIKE_SLIP_NE = {45, 0, 315, 0, 0.6};

std::vector<Mixture> mixtures() {
  return {
      {"two, sharing sigma3", {{NORMAL_EW, 30}, {STRIKE_SLIP_SHARING_SIGMA3, 25}}, 10, 0.0, 3, 1},
      {"three, unequal, random 10 %", {{NORMAL_EW, 40}, {THRUST_NS, 20}, {STRIKE_SLIP_NE, 15}}, 12, 0.1, 3, 2},
      {"two normal regimes", {{NORMAL_EW, 20}, {NORMAL_NS, 35}}, 8, 0.0, 3, 3, true},
      {"four", {{NORMAL_EW, 25}, {THRUST_NS, 20}, {STRIKE_SLIP_NE, 20}, {NORMAL_NS, 15}}, 10, 0.1, 3, 4, true},
      {"one, random 10 %", {{STRIKE_SLIP_NE, 40}}, 10, 0.1, 3, 5},
      {"one", {{THRUST_NS, 30}}, 12, 0.0, 3, 6},
  };
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// What the checks count over the sets, for one way of separating.
struct Tally {
  int sets = 0, right = 0, spurious = 0, populations = 0, missed = 0;
  int unlike_sets = 0, unlike_right = 0;
  std::vector<double> errors, shares;
};

void count_outcome(const Mixture& m, const Outcome& o, Tally& t) {
  ++t.sets;
  t.right += o.found == int(m.populations.size());
  if (!m.regimes_alike) {
    ++t.unlike_sets;
    t.unlike_right += o.found == int(m.populations.size());
  }
  t.spurious += o.spurious;
  for (size_t p = 0; p < m.populations.size(); ++p) {
    ++t.populations;
    if (o.state_error[p] > 25) {
      ++t.missed;
      continue;
    }
    t.errors.push_back(o.state_error[p]);
    t.shares.push_back(o.rightly_given[p]);
  }
  if (m.populations.size() == 1 && m.random_share == 0) {
    EXPECT_EQ(o.found, 1) << m.name;
  }
}

void expect_found(const Tally& t, const char* way) {
  std::printf("%s: count right in %d of %d sets (%d of %d without two normal regimes); %d "
              "populations not there; %d of %d missed; median error %.1f deg; median share "
              "given %.0f %%, least %.0f %%\n",
              way, t.right, t.sets, t.unlike_right, t.unlike_sets, t.spurious, t.missed,
              t.populations, median(t.errors), 100 * median(t.shares),
              100 * *std::min_element(t.shares.begin(), t.shares.end()));
  EXPECT_GE(t.unlike_right * 5, t.unlike_sets * 4) << way;
  EXPECT_GE(t.right * 4, t.sets * 3) << way;
  EXPECT_LE(t.spurious * 4, t.sets) << way;
  EXPECT_LE(t.missed * 5, t.populations) << way;
  EXPECT_LE(median(t.errors), 12.0) << way;
  EXPECT_GE(median(t.shares), 0.8) << way;
}

// Every mixture drawn six times, each time with the next weight function:
// 36 data sets, 78 true populations, each separated by grid states and by
// refined ones.
TEST_F(PopulationSeparation, FindsTheTrueStatesOfSyntheticMixtures) {
#ifdef SORVEL_UNDER_SANITIZER
  GTEST_SKIP() << "36 MIM runs take many minutes under the sanitizers";
#endif
  std::array<Tally, 2> tally;
  for (unsigned draw = 1; draw <= 6; ++draw) {
    for (Mixture m : mixtures()) {
      m.seed += 100 * draw;
      m.weight_id = int(1 + draw % 4);  // the separation must not hang on one weight function
      std::array<PopulationSearch, 2> search;
      std::array<Outcome, 2> o = separate(m, search);
      std::printf("%-28s draw %u found %d, refined %d of %zu:", m.name, draw, o[0].found,
                  o[1].found, m.populations.size());
      for (size_t t = 0; t < m.populations.size(); ++t)
        std::printf(" [%.0f deg, %.0f %% -> %.0f deg, %.0f %%]", o[0].state_error[t],
                    100 * o[0].rightly_given[t], o[1].state_error[t], 100 * o[1].rightly_given[t]);
      std::printf("\n");
      for (int way = 0; way < 2; ++way) count_outcome(m, o[size_t(way)], tally[size_t(way)]);
    }
  }
  expect_found(tally[0], "grid states");
  expect_found(tally[1], "refined states");
  // Settled by the refined states, half the populations found get at
  // least 90 % of the data their true states give them (93 % at the
  // median, 91 % by the grid's states); not every one does on these
  // mixtures.
  EXPECT_GE(median(tally[1].shares), 0.9);
}

}  // namespace
