#include "analyses/populations/population_search.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <utility>

#include "analyses/populations/stress_difference.h"
#include "common/constants.h"
#include "fitness/fill_reference.h"
#include "fitness/fitness_table.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "geometry/vectors.h"
#include "refine/state_refinement.h"

namespace {

// Assignment and inversion settle in a few rounds; a search that cycles
// between two assignments stops at the first repeat instead.
const int32_t MAX_ROUNDS = 100;

// A datum that fits no population.
const int32_t NONE = -1;

// The first states claim only the data they fit within this share of the
// fit limit, so that a state that fits two populations loosely leaves
// enough of the second for a state of its own; assignment and inversion
// then give every population all the data it fits.
const double SEED_FIT_SHARE = 0.5;

// At most this many first states: more populations than this in one data
// set are more than the subsets can tell apart.
const std::size_t MAX_SEEDS = 10;

// The least data a population keeps while the search runs: the rule's
// number, or with a fixed count only what a state needs.
int32_t least_data(const SeparationOptions& options, int32_t data_count) {
  int32_t least = options.count > 0 ? LEAST_STATE_DATA : least_data_alone(data_count);
  return std::min(least, data_count);
}

struct Candidate {
  int32_t index;      // 0-based grid index
  int32_t score_sum;  // 0 until the first inversion
  std::optional<ContinuousState> refined;  // its grid state refined on its data, when asked
};

const float* tensor_of(const Gss& gss, int32_t index) {
  return gss.points[static_cast<std::size_t>(index)].stress_tensor;
}

// What every round reads: the data, their scores, the options and, for
// the refined states, the data laid out for the sums.
struct SearchInput {
  const Gss& gss;
  const FaultSet& faults;
  const FitnessTable& table;
  const SeparationOptions& options;
  const WeightFunction& weight;
  SlipData slips;  // of every datum; empty unless the search refines
};

// misfit[i][p]: degrees of datum i under the state of candidate p, whole
// under a grid state, as they come under a refined one.
using Misfits = std::vector<std::vector<double>>;

Misfits misfits_under(const SearchInput& in, const std::vector<Candidate>& states) {
  const FaultSet& faults = in.faults;
  Misfits misfit(static_cast<std::size_t>(faults.count));
  std::vector<double> angles(static_cast<std::size_t>(faults.count));
  for (const Candidate& c : states) {
    if (c.refined) misfit_angles(*c.refined, in.slips, angles.data());
    for (int32_t i = 0; i < faults.count; ++i) {
      const std::size_t at = static_cast<std::size_t>(i);
      misfit[at].push_back(c.refined ? angles[at] / DEGREE
                                     : double(misfit_degrees(tensor_of(in.gss, c.index),
                                                             faults.data[at])));
    }
  }
  return misfit;
}

// The grid state `index` refined on the data `data` (0-based).
ContinuousState refined_on(const SearchInput& in, int32_t index, const std::vector<int32_t>& data) {
  std::vector<FaultDatum> own;
  for (int32_t i : data) own.push_back(in.faults.data[static_cast<std::size_t>(i)]);
  return refined_population_state(in.gss.points[static_cast<std::size_t>(index)],
                                  slip_data(own.data(), static_cast<int32_t>(own.size())),
                                  in.weight);
}

// The candidate each datum fits best below the limit (the first on a
// tie), or NONE.
std::vector<int32_t> assign(const Misfits& misfit, double fit_limit) {
  std::vector<int32_t> state;
  for (const std::vector<double>& m : misfit) {
    int32_t best = NONE;
    for (std::size_t p = 0; p < m.size(); ++p)
      if (m[p] < fit_limit && (best == NONE || m[p] < m[static_cast<std::size_t>(best)]))
        best = static_cast<int32_t>(p);
    state.push_back(best);
  }
  return state;
}

std::vector<std::vector<int32_t>> members(const std::vector<int32_t>& state, std::size_t count) {
  std::vector<std::vector<int32_t>> data(count);
  for (std::size_t i = 0; i < state.size(); ++i)
    if (state[i] != NONE) data[static_cast<std::size_t>(state[i])].push_back(static_cast<int32_t>(i));
  return data;
}

// Data under the limit for candidate p and for no other.
std::vector<int32_t> alone_counts(const Misfits& misfit, std::size_t count, double fit_limit) {
  std::vector<int32_t> alone(count, 0);
  for (const std::vector<double>& m : misfit) {
    int32_t fitting = 0, which = 0;
    for (std::size_t p = 0; p < m.size(); ++p)
      if (m[p] < fit_limit) ++fitting, which = static_cast<int32_t>(p);
    if (fitting == 1) ++alone[static_cast<std::size_t>(which)];
  }
  return alone;
}

// Candidates in order of their data, most first, the lower grid index
// first among equals; each keeps its data.
struct Ranked {
  Candidate state;
  std::vector<int32_t> data;
};

void rank_by_data(std::vector<Ranked>& ranked) {
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return a.data.size() != b.data.size() ? a.data.size() > b.data.size()
                                          : a.state.index < b.state.index;
  });
}

// One round: assign, invert each population on its own data (and refine
// its state there when asked), keep the larger of two states closer than
// the separation, drop those with too few data.
std::vector<Candidate> next_states(const SearchInput& in, const std::vector<Candidate>& states) {
  const SeparationOptions& options = in.options;
  const Gss& gss = in.gss;
  std::vector<int32_t> state = assign(misfits_under(in, states), options.fit_limit);
  std::vector<std::vector<int32_t>> data = members(state, states.size());
  const int32_t least = least_data(options, in.faults.count);
  std::vector<Ranked> ranked;
  for (std::size_t p = 0; p < states.size(); ++p) {
    if (data[p].empty()) continue;
    BestOfData best = best_state_of_data(in.table, data[p]);
    Candidate c{best.index, best.score_sum, std::nullopt};
    if (options.refine && static_cast<int32_t>(data[p].size()) >= least)
      c.refined = refined_on(in, best.index, data[p]);
    ranked.push_back({c, data[p]});
  }
  rank_by_data(ranked);
  std::vector<Candidate> kept;
  std::vector<UnitDeviator> kept_deviators;
  for (const Ranked& r : ranked) {
    if (static_cast<int32_t>(r.data.size()) < least) continue;
    UnitDeviator d = unit_deviator(tensor_of(gss, r.state.index));
    bool close = false;
    for (const UnitDeviator& k : kept_deviators)
      close = close || deviator_angle(k, d) < options.separation;
    if (close) continue;
    kept.push_back(r.state);
    kept_deviators.push_back(d);
  }
  return kept;
}

// The states of a round as one key: each grid index and, when refined,
// the refined state's axes and Phi, which follow from its data alone.
std::vector<double> key_of(const std::vector<Candidate>& states) {
  std::vector<double> key;
  for (const Candidate& c : states) {
    key.push_back(c.index);
    if (!c.refined) continue;
    for (const Vec3d& axis : {c.refined->axes.sigma1, c.refined->axes.sigma2})
      key.insert(key.end(), {axis.x, axis.y, axis.z});
    key.push_back(c.refined->phi);
  }
  return key;
}

// Rounds until the states stay as they are or repeat an earlier round.
std::vector<Candidate> settle(const SearchInput& in, std::vector<Candidate> states,
                              int32_t& rounds) {
  std::set<std::vector<double>> seen;
  for (int32_t round = 0; round < MAX_ROUNDS && !states.empty(); ++round) {
    ++rounds;
    std::vector<Candidate> next = next_states(in, states);
    std::vector<double> key = key_of(next);
    if (key == key_of(states)) return next;
    if (!seen.insert(key).second) return next;
    states = next;
  }
  return states;
}

// The population to drop when the rule or the fixed count asks for one:
// the fewest data alone, then the fewest data, then the later.
std::size_t weakest(const std::vector<int32_t>& alone, const std::vector<std::vector<int32_t>>& data) {
  std::size_t w = 0;
  for (std::size_t p = 1; p < alone.size(); ++p)
    if (alone[p] < alone[w] || (alone[p] == alone[w] && data[p].size() <= data[w].size())) w = p;
  return w;
}

// The summed score of `data` under GridPoint `index`.
int32_t score_sum(const FitnessTable& table, int32_t index, const std::vector<int32_t>& data) {
  int32_t sum = 0;
  for (int32_t j : data) sum += table.scores[static_cast<std::size_t>(j) * GSS_SIZE + index];
  return sum;
}

// The state whose score reaches `least_score` for the most data of the
// pool (the lowest grid index among equals).
BestOfData most_fitted_state(const FitnessTable& table, const std::vector<int32_t>& pool,
                             int8_t least_score) {
  std::vector<int32_t> count(GSS_SIZE, 0);
  for (int32_t j : pool) {
    const int8_t* column = table.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
    for (int32_t k = 0; k < GSS_SIZE; ++k) count[static_cast<std::size_t>(k)] += column[k] >= least_score;
  }
  int32_t best = static_cast<int32_t>(std::max_element(count.begin(), count.end()) - count.begin());
  return {best, score_sum(table, best, pool)};
}

// States found one after another: the state that fits the most data
// within the seeds' share of the fit limit (by its score, which falls
// with the misfit whatever the weight function), then the one that fits
// the most of the data it leaves, while it fits enough of them. Counting
// rather than summing scores keeps a broad weight function (cosine) from
// choosing a state between two populations.
std::vector<Candidate> peeled_states(const Gss& gss, const FaultSet& faults,
                                     const FitnessTable& table, const SeparationOptions& options,
                                     const WeightFunction& weight) {
  const int8_t least_score = score_of_weight(weight.weight(static_cast<float>(
      pi_times_over_180(options.fit_limit * SEED_FIT_SHARE))));
  const double fit_limit = options.fit_limit * SEED_FIT_SHARE;
  const std::size_t most = std::max(MAX_SEEDS, static_cast<std::size_t>(options.count));
  std::vector<Candidate> states;
  std::vector<int32_t> pool;
  for (int32_t i = 0; i < faults.count; ++i) pool.push_back(i);
  const int32_t least = least_data(options, faults.count);
  while (static_cast<int32_t>(pool.size()) >= least && states.size() < most) {
    BestOfData best = most_fitted_state(table, pool, least_score);
    std::vector<int32_t> rest;
    for (int32_t i : pool)
      if (double(misfit_degrees(tensor_of(gss, best.index), faults.data[static_cast<std::size_t>(i)])) >=
          fit_limit)
        rest.push_back(i);
    if (static_cast<int32_t>(pool.size() - rest.size()) < least) break;
    states.push_back({best.index, best.score_sum, std::nullopt});
    pool = rest;
  }
  return states;
}

// The votes of every voted state go to the candidate whose state is
// nearest to it in stress difference (the first on a tie).
std::vector<long> shared_votes(const Gss& gss, const GridValues& votes,
                               const std::vector<Candidate>& states) {
  std::vector<long> shares(states.size(), 0);
  std::vector<UnitDeviator> own;
  for (const Candidate& c : states) own.push_back(unit_deviator(tensor_of(gss, c.index)));
  for (std::size_t k = 0; k < votes.size() && !own.empty(); ++k) {
    if (votes[k] <= 0) continue;
    UnitDeviator d = unit_deviator(tensor_of(gss, static_cast<int32_t>(k)));
    std::size_t nearest = 0;
    double least = deviator_angle(own[0], d);
    for (std::size_t p = 1; p < own.size(); ++p) {
      double angle = deviator_angle(own[p], d);
      if (angle < least) least = angle, nearest = p;
    }
    shares[nearest] += votes[k];
  }
  return shares;
}

// The settled populations as they stand: data, data alone, votes.
struct Standing {
  std::vector<std::vector<int32_t>> data;
  std::vector<int32_t> alone;
  std::vector<long> votes;
};

Standing standing_of(const SearchInput& in, const GridValues& votes,
                     const std::vector<Candidate>& states) {
  const double fit_limit = in.options.fit_limit;
  Misfits misfit = misfits_under(in, states);
  return {members(assign(misfit, fit_limit), states.size()),
          alone_counts(misfit, states.size(), fit_limit), shared_votes(in.gss, votes, states)};
}

// The population the options ask to drop, with the reason, or none.
std::optional<std::pair<std::size_t, DropReason>> to_drop(const Standing& s,
                                                          const SeparationOptions& options,
                                                          int32_t least) {
  const std::size_t count = s.alone.size();
  if (count == 0) return std::nullopt;
  std::size_t w = weakest(s.alone, s.data);
  if (options.count > 0) {
    if (static_cast<int32_t>(count) > options.count) return std::pair{w, DropReason::count};
    return std::nullopt;
  }
  if (count > 1 && s.alone[w] < least) return std::pair{w, DropReason::alone};
  long most = *std::max_element(s.votes.begin(), s.votes.end());
  std::size_t fewest = static_cast<std::size_t>(
      std::min_element(s.votes.begin(), s.votes.end()) - s.votes.begin());
  if (count > 1 && double(s.votes[fewest]) < options.min_votes * double(most))
    return std::pair{fewest, DropReason::votes};
  return std::nullopt;
}

}  // namespace

int32_t least_data_alone(int32_t data_count) {
  return std::max<int32_t>(8, static_cast<int32_t>(std::ceil(0.05 * data_count)));
}

BestOfData best_state_of_data(const FitnessTable& table, const std::vector<int32_t>& data) {
  GridValues sums(GSS_SIZE, 0);
  for (int32_t j : data) {
    const int8_t* column = table.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
    for (int32_t k = 0; k < GSS_SIZE; ++k) sums[static_cast<std::size_t>(k)] += column[k];
  }
  // A single greatest sum is the ranking's last; among equal sums the
  // ranking's own sort decides, as it does for a CDM run.
  int32_t greatest = *std::max_element(sums.begin(), sums.end());
  int32_t first = static_cast<int32_t>(std::find(sums.begin(), sums.end(), greatest) - sums.begin());
  if (std::count(sums.begin(), sums.end(), greatest) == 1) return {first, greatest};
  return {sort_gridpoints(sums).back(), greatest};
}

ContinuousState refined_population_state(const GridPoint& grid_state, const SlipData& own,
                                         const WeightFunction& weight) {
  return refine_as_given({continuous_state(grid_state)}, own, weight).state;
}

PopulationSearch separate_populations(const Gss& gss, const FaultSet& faults,
                                      const FitnessTable& table, const GridValues& votes,
                                      const SeparationOptions& options,
                                      const WeightFunction& weight) {
  PopulationSearch search;
  const SearchInput in{gss, faults, table, options, weight,
                       options.refine ? slip_data(faults.data.data(), faults.count) : SlipData{}};
  std::vector<Candidate> states = peeled_states(gss, faults, table, options, weight);
  search.seeds = static_cast<int32_t>(states.size());
  search.least_alone = least_data_alone(faults.count);
  Standing standing;
  while (true) {
    states = settle(in, states, search.rounds);
    standing = standing_of(in, votes, states);
    auto drop = to_drop(standing, options, search.least_alone);
    if (!drop) break;
    std::size_t w = drop->first;
    search.dropped.push_back({states[w].index, static_cast<int32_t>(standing.data[w].size()),
                              standing.alone[w], standing.votes[w], drop->second});
    states.erase(states.begin() + static_cast<std::ptrdiff_t>(w));
  }
  for (std::size_t p = 0; p < states.size(); ++p)
    search.populations.push_back({states[p].index,
                                  score_sum(table, states[p].index, standing.data[p]),
                                  standing.data[p], standing.alone[p], standing.votes[p],
                                  states[p].refined});
  std::stable_sort(search.populations.begin(), search.populations.end(),
                   [](const Population& a, const Population& b) {
                     return a.data.size() != b.data.size() ? a.data.size() > b.data.size()
                                                            : a.index < b.index;
                   });
  std::vector<bool> given(static_cast<std::size_t>(faults.count), false);
  for (const Population& p : search.populations)
    for (int32_t i : p.data) given[static_cast<std::size_t>(i)] = true;
  for (int32_t i = 0; i < faults.count; ++i)
    if (!given[static_cast<std::size_t>(i)]) search.unassigned.push_back(i);
  return search;
}
