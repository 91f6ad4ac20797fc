#include "confidence/bootstrap.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>

#include "common/threads.h"
#include "common/vector_clones.h"

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

// A block of the table (its columns over a run of states) should stay in
// the second-level cache while the batch passes over it.
const int32_t BLOCK_BYTES = 512 * 1024;
const int32_t MIN_BLOCK = 64;
const int32_t MAX_BLOCK = 4096;

// Partial sums are 16-bit: scores lie within +-127, so up to 258 draws
// add up without overflow before they go into the 32-bit sums.
const int32_t DRAWS_PER_PARTIAL = std::numeric_limits<int16_t>::max() / 127;

// A drawn datum and its multiplicity, packed: datum << 16 | multiplicity.
uint32_t pack(int32_t datum, uint16_t count) { return static_cast<uint32_t>(datum) << 16 | count; }
int32_t datum_of(uint32_t entry) { return static_cast<int32_t>(entry >> 16); }
int32_t count_of(uint32_t entry) { return static_cast<int32_t>(entry & 0xFFFF); }

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
SORVEL_VECTOR_KERNEL(ResampleBest, best_in_block,
                     (const int8_t* __restrict block, std::size_t stride, int32_t first,
                      int32_t width, const uint32_t* entries, int32_t entry_count,
                      int16_t* __restrict partial, int32_t* __restrict sums),
                     (block, stride, first, width, entries, entry_count, partial, sums)) {
  for (int32_t k = 0; k < width; ++k) sums[k] = 0;
  int32_t e = 0;
  while (e < entry_count) {
    for (int32_t k = 0; k < width; ++k) partial[k] = 0;
    int32_t draws = 0;
    while (e < entry_count) {
      const int32_t count = count_of(entries[e]);
      const int8_t* __restrict column = block + static_cast<std::size_t>(datum_of(entries[e])) * stride;
      if (count > DRAWS_PER_PARTIAL) {  // too many for 16 bits at once
        for (int32_t k = 0; k < width; ++k) sums[k] += count * column[k];
        ++e;
        continue;
      }
      if (draws + count > DRAWS_PER_PARTIAL) break;
      // Two columns a pass where both fit: the partial sums are read and
      // written half as often.
      const int32_t next = e + 1 < entry_count ? count_of(entries[e + 1]) : DRAWS_PER_PARTIAL + 1;
      const int16_t m = static_cast<int16_t>(count);
      if (draws + count + next <= DRAWS_PER_PARTIAL) {
        const int8_t* __restrict other = block + static_cast<std::size_t>(datum_of(entries[e + 1])) * stride;
        const int16_t n = static_cast<int16_t>(next);
        for (int32_t k = 0; k < width; ++k)
          partial[k] = static_cast<int16_t>(partial[k] + m * column[k] + n * other[k]);
        draws += count + next;
        e += 2;
        continue;
      }
      for (int32_t k = 0; k < width; ++k)
        partial[k] = static_cast<int16_t>(partial[k] + m * column[k]);
      draws += count;
      ++e;
    }
    for (int32_t k = 0; k < width; ++k) sums[k] += partial[k];
  }
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
  entries.clear();
  for (int32_t j = 0; j < n; ++j)
    if (counts[j] > 0) entries.push_back(pack(j, counts[j]));
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

BootstrapResult bootstrap_best_states(const ScoreTable& table, const BootstrapSettings& settings,
                                      const BootstrapProgress& progress) {
  BootstrapResult result;
  const int32_t n = table.columns, points = table.points, total = settings.resamples;
  if (total < 0) return {{}, "a negative number of resamples"};
  if (total == 0) return result;
  if (n < 1 || n > 65535 || points < 1 || table.scores == nullptr)
    return {{}, "no score table to resample"};
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
                              entries[r].data(), static_cast<int32_t>(entries[r].size()),
                              partial[slot].data(), sums[slot].data());
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
    return {{}, "not enough memory for the bootstrap"};
  }
  return result;
}
