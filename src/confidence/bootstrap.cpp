#include "confidence/bootstrap.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>

#include "common/threads.h"

namespace {

const uint64_t GOLDEN_GAMMA = 0x9E3779B97F4A7C15ULL;

uint64_t mix64(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Resamples formed and scored together: the table is read once per
// batch, and each block of it serves the whole batch from the cache.
const int32_t BATCH = 64;
// The bounded search takes the first batch alone, for its best states to
// be the sums to beat in the others, then up to this many at once, so
// that the layout of the table that the diffuse ones are summed over
// serves them all. Their counts take at most SEARCHED_BYTES.
const int32_t MOST_SEARCHED_TOGETHER = 1024;
const std::size_t SEARCHED_BYTES = 16 << 20;

int32_t searched_together(int32_t n) {
  const std::size_t fit = SEARCHED_BYTES / (sizeof(uint16_t) * static_cast<std::size_t>(n));
  const int32_t most = static_cast<int32_t>(std::min<std::size_t>(fit, MOST_SEARCHED_TOGETHER));
  return std::max(BATCH, most / BATCH * BATCH);
}

// A block of the table (its columns over a run of states) should stay in
// the second-level cache while the batch passes over it.
const int32_t BLOCK_BYTES = 512 * 1024;
const int32_t MIN_BLOCK = 64;
const int32_t MAX_BLOCK = 4096;

int32_t block_width(int32_t points, int32_t columns, int threads) {
  int32_t width = BLOCK_BYTES / (columns > 0 ? columns : 1);
  // Enough blocks that every thread has several.
  int32_t share = (points + 4 * threads - 1) / (4 * threads);
  width = std::min(width, share);
  width = std::clamp(width, MIN_BLOCK, MAX_BLOCK);
  return (width + MIN_BLOCK - 1) / MIN_BLOCK * MIN_BLOCK;
}

// The best state of one resample among the states first .. first +
// width - 1, whose columns start at `block` with `stride` between them.
ResampleBest best_in_block(const int8_t* block, std::size_t stride, int32_t first, int32_t width,
                           const std::vector<uint32_t>& entries, int16_t* partial, int32_t* sums) {
  weighted_column_sums(block, stride, width, entries.data(), static_cast<int32_t>(entries.size()),
                       partial, sums);
  int32_t top = std::numeric_limits<int32_t>::min();
  for (int32_t k = 0; k < width; ++k) top = sums[k] > top ? sums[k] : top;
  int32_t at = 0;
  while (sums[at] != top) ++at;
  return ResampleBest{first + at, top};
}

// The drawn data of resample b with their multiplicities, in data order.
void resample_entries(uint64_t seed, int32_t b, int32_t n, uint16_t* counts,
                      std::vector<uint32_t>& entries) {
  resample_counts(seed, b, n, counts);
  drawn_entries(counts, n, entries);
}

}  // namespace

uint64_t splitmix64_next(uint64_t& state) {
  state += GOLDEN_GAMMA;
  return mix64(state);
}

uint64_t resample_stream_start(uint64_t seed, int32_t b) {
  return mix64(seed + GOLDEN_GAMMA * (static_cast<uint64_t>(b) + 1));
}

int32_t draw_index(uint64_t x, int32_t n) {
  return static_cast<int32_t>(((x >> 32) * static_cast<uint64_t>(n)) >> 32);
}

void resample_counts(uint64_t seed, int32_t b, int32_t n, uint16_t* counts) {
  std::fill(counts, counts + n, uint16_t{0});
  uint64_t state = resample_stream_start(seed, b);
  for (int32_t i = 0; i < n; ++i) ++counts[draw_index(splitmix64_next(state), n)];
}

std::optional<int32_t> parse_resample_count(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || rest != end || value < 0 || value > MAX_RESAMPLES)
    return std::nullopt;
  return value;
}

std::optional<uint64_t> parse_seed(std::string_view text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || rest != end) return std::nullopt;
  return value;
}

namespace {

// Every state summed for every resample, a batch of resamples at a time
// block by block of the table.
BootstrapResult full_sum_best_states(const ScoreTable& table, const BootstrapSettings& settings,
                                     const WorkProgress& progress) {
  BootstrapResult result;
  const int32_t n = table.columns, points = table.points, total = settings.resamples;
  const int threads = settings.threads > 0 ? settings.threads : 1;
  const int32_t width = block_width(points, n, threads);
  const int32_t blocks = (points + width - 1) / width;
  try {
    result.best.resize(static_cast<std::size_t>(total));
    std::vector<std::vector<uint32_t>> entries(BATCH);
    for (std::vector<uint32_t>& list : entries) list.reserve(static_cast<std::size_t>(n));
    std::vector<std::vector<uint16_t>> counts(threads, std::vector<uint16_t>(n));
    std::vector<std::vector<int16_t>> partial(threads, std::vector<int16_t>(width));
    std::vector<std::vector<int32_t>> sums(threads, std::vector<int32_t>(width));
    std::vector<ResampleBest> block_best(static_cast<std::size_t>(BATCH) * blocks);
    for (int32_t first = 0; first < total; first += BATCH) {
      const int32_t batch = std::min(BATCH, total - first);
      std::atomic<int32_t> next{0};
      run_on_threads(threads, [&](int slot) {
        for (int32_t r = next++; r < batch; r = next++)
          resample_entries(settings.seed, first + r, n, counts[slot].data(), entries[r]);
      });
      std::atomic<int32_t> next_block{0};
      run_on_threads(threads, [&](int slot) {
        for (int32_t g = next_block++; g < blocks; g = next_block++) {
          const int32_t start = g * width;
          const int32_t span = std::min(width, points - start);
          for (int32_t r = 0; r < batch; ++r) {
            block_best[static_cast<std::size_t>(r) * blocks + g] =
                best_in_block(table.scores + start, static_cast<std::size_t>(points), start, span,
                              entries[r], partial[slot].data(), sums[slot].data());
          }
        }
      });
      // Blocks in grid order, and only a greater sum replaces: the lowest
      // index wins among equals, whatever thread formed which block.
      for (int32_t r = 0; r < batch; ++r) {
        ResampleBest best = block_best[static_cast<std::size_t>(r) * blocks];
        for (int32_t g = 1; g < blocks; ++g) {
          const ResampleBest& candidate = block_best[static_cast<std::size_t>(r) * blocks + g];
          if (candidate.sum > best.sum) best = candidate;
        }
        result.best[static_cast<std::size_t>(first + r)] = best;
      }
      if (progress) progress(first + batch, total);
    }
  } catch (const std::bad_alloc&) {
    return {{}, "not enough memory for the bootstrap", {}};
  }
  return result;
}

// The states to try first in a batch: the full data's best and the
// distinct best states of the batch before.
std::vector<int32_t> batch_seeds(int32_t full_best, const std::vector<ResampleBest>& best,
                                 int32_t first, int32_t batch) {
  std::vector<int32_t> seeds{full_best};
  for (int32_t r = first - batch; r < first; ++r) {
    if (r < 0) continue;
    const int32_t index = best[static_cast<std::size_t>(r)].index;
    if (std::find(seeds.begin(), seeds.end(), index) == seeds.end()) seeds.push_back(index);
  }
  return seeds;
}

BootstrapResult bounded_best_states(const ScoreTable& table, const BootstrapSettings& settings,
                                    const WorkProgress& progress, std::span<const int32_t> order) {
  BootstrapResult result;
  const int32_t n = table.columns, total = settings.resamples;
  const int threads = settings.threads > 0 ? settings.threads : 1;
  try {
    ResampleSearchPlanPtr plan = plan_resample_search(table, order, threads);
    if (plan == nullptr) return {{}, "not enough memory for the bootstrap", {}};
    // The full data first: its best state is a good first guess for every
    // resample.
    std::vector<uint16_t> ones(static_cast<std::size_t>(n), 1);
    const uint16_t* all[] = {ones.data()};
    ResampleBest full{};
    ResampleTally unused;
    best_states_of_resamples(*plan, all, {}, threads, &full, unused);
    result.best.resize(static_cast<std::size_t>(total));
    const int32_t together = searched_together(n);
    std::vector<std::vector<uint16_t>> counts(static_cast<std::size_t>(std::min(together, total)),
                                              std::vector<uint16_t>(static_cast<std::size_t>(n)));
    std::vector<const uint16_t*> batch_counts;
    for (int32_t first = 0; first < total;) {
      const int32_t batch = std::min(first == 0 ? BATCH : together, total - first);
      std::atomic<int32_t> next{0};
      run_on_threads(threads, [&](int) {
        for (int32_t r = next++; r < batch; r = next++)
          resample_counts(settings.seed, first + r, n, counts[static_cast<std::size_t>(r)].data());
      });
      batch_counts.clear();
      for (int32_t r = 0; r < batch; ++r) batch_counts.push_back(counts[static_cast<std::size_t>(r)].data());
      const std::vector<int32_t> seeds = batch_seeds(full.index, result.best, first, BATCH);
      best_states_of_resamples(*plan, batch_counts, seeds, threads, result.best.data() + first,
                               result.tally);
      first += batch;
      if (progress) progress(first, total);
    }
  } catch (const std::bad_alloc&) {
    return {{}, "not enough memory for the bootstrap", {}};
  }
  return result;
}

}  // namespace

BootstrapResult bootstrap_best_states(const ScoreTable& table, const BootstrapSettings& settings,
                                      const WorkProgress& progress,
                                      std::span<const int32_t> order) {
  const int32_t n = table.columns, points = table.points, total = settings.resamples;
  if (total < 0) return {{}, "a negative number of resamples", {}};
  if (total == 0) return {};
  if (n < 1 || n > 65535 || points < 1 || table.scores == nullptr)
    return {{}, "no score table to resample", {}};
  if (!order.empty() && order.size() != static_cast<std::size_t>(points))
    return {{}, "an order of the states that is not of every state", {}};
  if (table.rows != nullptr && !order.empty())
    return {{}, "an order of the states for a table whose rows have one", {}};
  if (settings.reference && table.rows != nullptr)
    return {{}, "the reference sums take a table in grid order", {}};
  if (settings.reference) return full_sum_best_states(table, settings, progress);
  return bounded_best_states(table, settings, progress, order);
}
