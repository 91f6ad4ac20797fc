// The bootstrap over the score table: B resamples of the N data, drawn
// with replacement, each scored by summing the table's columns with their
// multiplicities, so that a resample costs additions only and never
// recomputes a score. Every resample keeps its best stress state: the
// greatest sum, and among equal sums the lowest grid index, found by
// bounds (resample_search.h) or, as the reference, by summing every state.
//
// The draws come from SplitMix64 (Steele, Lea and Flood 2014), written out
// here so that a seed gives the same resamples with every compiler,
// standard library, platform and thread count:
//  - resample b (0-based) has a generator of its own, whose state starts
//    at output b + 1 of a SplitMix64 generator seeded with the seed;
//  - its N draws are the next N outputs x of that generator, and a draw
//    is the datum floor(hi32(x) * N / 2^32) (0 to N - 1), hi32(x) being
//    the upper 32 bits of x. Each datum is drawn with probability 1/N
//    within N / 2^32, less than 10^-5.
#ifndef SORVEL_CONFIDENCE_BOOTSTRAP_H_
#define SORVEL_CONFIDENCE_BOOTSTRAP_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "confidence/resample_search.h"
#include "common/run_settings.h"

inline constexpr int32_t DEFAULT_RESAMPLES = 1000;
inline constexpr int32_t MAX_RESAMPLES = 1000000;
inline constexpr uint64_t DEFAULT_SEED = 1;
/// Fewer data than this cannot fix the four parameters of a stress state
/// in most resamples: no bootstrap then.
inline constexpr int32_t MIN_BOOTSTRAP_DATA = 6;

/// The next output of a SplitMix64 generator.
uint64_t splitmix64_next(uint64_t& state);

/// The starting state of resample b's generator.
uint64_t resample_stream_start(uint64_t seed, int32_t b);

/// A draw of 0 to n - 1 (n >= 1) from a 64-bit output.
int32_t draw_index(uint64_t x, int32_t n);

/// How often resample b draws each of the n data: counts[j] for datum j.
void resample_counts(uint64_t seed, int32_t b, int32_t n, uint16_t* counts);

/// A resample count written as a whole number 0 to MAX_RESAMPLES, or nothing.
std::optional<int32_t> parse_resample_count(std::string_view text);

/// A seed written as a whole number 0 to 2^64 - 1, or nothing.
std::optional<uint64_t> parse_seed(std::string_view text);

struct BootstrapSettings {
  int32_t resamples;
  uint64_t seed;
  int threads;  // at least 1
  bool reference = false;  // every state summed, as the bounded search must match
};

struct BootstrapResult {
  std::vector<ResampleBest> best;  // one per resample, in resample order
  std::string error;               // empty when the resamples were made
  ResampleTally tally;             // the work of the bounded search
};

/// The best state of every resample. The bounded search takes the states
/// in `order` (every state once; empty: the table's own), the tighter
/// its bounds the more alike in stress neighbours are; the results are
/// the same whatever the order. The table's rows are reordered while it
/// runs and put back before it returns. A table whose rows are in an
/// order already (its `rows`) is searched in that order, takes none, and
/// is not reordered; the reference sums take only tables in grid order.
BootstrapResult bootstrap_best_states(const ScoreTable& table, const BootstrapSettings& settings,
                                      const WorkProgress& progress,
                                      std::span<const int32_t> order = {});

#endif  // SORVEL_CONFIDENCE_BOOTSTRAP_H_
