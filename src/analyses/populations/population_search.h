// Mixed fault-slip data separated into populations, each explained by a
// stress state of its own. The first states are found one after another:
// the state that fits the most data closely, then the one that fits the
// most of the data it leaves, and so on while a state fits enough data.
// (The vote peaks of the subsets make worse seeds when several
// populations mix: most subsets then mix populations and vote for states
// that none of them has.) Then, until nothing changes, every datum goes to the state it
// fits best (or to none when it fits none within the fit limit), every
// population's state becomes the best grid state of its own data (the
// state a CDM run on those data ranks best), states that came closer than
// the separation are merged and a population left with too few data is
// dropped. When the search refines, each population's state is that grid
// state refined on its data, and the data go by their misfits under the
// refined states: the grid's states lie up to 5 degrees from any state,
// enough to hand a datum near the fit limit to the wrong population.
//
// How many populations there are is decided by one rule the user can
// check: each population must explain on its own, that is with a misfit
// under the fit limit where no other population's state does, at least
// a minimum number of data. While some population falls short, the one
// that explains the fewest data on its own is dropped and the rest are
// fitted again. A fixed count instead keeps that many, dropping the same
// way. A least share of votes, when asked for, drops populations whose
// votes (those of the subsets whose voted state lies nearest to their
// state) fall below that share of the most-voted population's.
#ifndef SORVEL_ANALYSES_POPULATIONS_POPULATION_SEARCH_H_
#define SORVEL_ANALYSES_POPULATIONS_POPULATION_SEARCH_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "common/tables.h"
#include "fitness/weight_functions.h"
#include "refine/continuous_fit.h"
#include "stress/data_fit.h"
#include "stress/stress_quantities.h"

struct SeparationOptions {
  double separation;  // degrees of stress difference: closer states merge
  double min_votes;   // share of the most-voted population's votes, 0 to 1
  double fit_limit;   // degrees: a datum fits a state below it
  int32_t count;      // populations to keep; 0: as many as the rule allows
  bool refine = false;  // data assigned by the refined states of the populations
};

/// Chosen on synthetic mixtures of two to four populations with 8 to 12
/// degrees of noise and on single populations. States 30 degrees apart
/// merge: wider, a normal and a strike-slip state that share sigma3, or
/// two normal states at right angles, merge into one; states closer than
/// that share their data, and the rule drops the weaker. The fit limit is
/// sorvel-plot's; no least share of votes.
inline constexpr SeparationOptions DEFAULT_SEPARATION_OPTIONS = {30.0, 0.0, DEFAULT_FIT_LIMIT_DEGREES, 0};

/// A stress state has four unknowns: fewer data than this leave it
/// undetermined. The least data of a population when the count is fixed.
inline constexpr int32_t LEAST_STATE_DATA = 4;

/// The least number of data a population must explain on its own: 8, or
/// 5 % of the data when that is more. Fewer can be a chance grouping: on
/// mixtures with random data, a state fitted to the random ones explains
/// up to 7 of them on its own.
int32_t least_data_alone(int32_t data_count);

struct Population {
  int32_t index;              // 0-based grid index of its state
  int32_t score_sum;          // the summed score of its data under that state
  std::vector<int32_t> data;  // 0-based, in file order
  int32_t alone;              // data it explains that no other population does
  long votes;                 // subsets whose voted state lies nearest to its state
  std::optional<ContinuousState> refined;  // the state that gave it its data, when refined
};

enum class DropReason {
  alone,  // explained too few data on its own
  count,  // beyond the fixed count
  votes,  // below the least share of votes
};

/// A population the rule, the count or the votes removed, as it stood then.
struct DroppedPopulation {
  int32_t index;  // 0-based grid index of its state
  int32_t data;   // data given to it
  int32_t alone;  // data it explained on its own
  long votes;
  DropReason reason;
};

struct PopulationSearch {
  std::vector<Population> populations;  // most data first; on a tie the lower grid index
  std::vector<int32_t> unassigned;      // 0-based data fitting no population
  std::vector<DroppedPopulation> dropped;  // in the order they were removed
  int32_t seeds = 0;                    // states that started the search
  int32_t least_alone = 0;              // data a population must explain on its own
  int32_t rounds = 0;                   // passes of assignment and inversion
};

/// The populations of `faults` (vectors set) from the scores of `table`
/// (one column a datum) and the `votes` of a MIM run, in grid order; gss
/// must hold the stress tensors.
PopulationSearch separate_populations(const Gss& gss, const FaultSet& faults,
                                      const FitnessTable& table, const GridValues& votes,
                                      const SeparationOptions& options,
                                      const WeightFunction& weight);

/// The state that a CDM run on the data `data` (0-based) of the table
/// ranks best, and its summed score.
struct BestOfData {
  int32_t index;
  int32_t score_sum;
};
BestOfData best_state_of_data(const FitnessTable& table, const std::vector<int32_t>& data);

/// A population's refined state: its grid state refined on its own data
/// (`own`), from that state alone, on their fit as given. Smoothed at
/// its scatter, the fit of a population still mixed with others' data
/// leans towards them, and the separation gives it more of them: on the
/// separation check's mixtures it found more populations that are not
/// there and missed more that are.
ContinuousState refined_population_state(const GridPoint& grid_state, const SlipData& own,
                                         const WeightFunction& weight);

#endif  // SORVEL_ANALYSES_POPULATIONS_POPULATION_SEARCH_H_
