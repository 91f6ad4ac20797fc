#include "confidence/resample_search.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "common/threads.h"
#include "common/vector_clones.h"
#include "confidence/paired_draws.h"
#include "grid/stress_order.h"

namespace {

constexpr int32_t BLOCK = SEARCH_BLOCK;  // states of a block
constexpr int32_t GROUP = SEARCH_GROUP;  // states of a group
constexpr int32_t GROUP_BLOCKS = GROUP / BLOCK;
static_assert(GROUP_BLOCKS == 16);
// A group with this many blocks that reach the sum to beat is summed
// whole: sixteen lanes at a time cost less than that many blocks apart.
constexpr int32_t WHOLE_GROUP_BLOCKS = 6;
// The groups that a thread takes at a time. A resample whose bounds leave
// more than a quarter of the groups in reach is diffuse: its groups are
// summed without their blocks bounded, together with other resamples,
// and neighbouring groups of a chunk together, which reads longer runs of
// each column. Summed alone, a resample reads each drawn datum's scores
// of a group from another part of the table, where the batch reads them
// once for all its resamples: on 2,000 data of three states, whose
// resamples each leave a quarter to three quarters of the groups in
// reach, the batches sum 68 % of the states against 9 % alone, yet in
// 60 % of the time.
constexpr int32_t CHUNK_GROUPS = 4;
constexpr int32_t CHUNK = CHUNK_GROUPS * GROUP;
constexpr int32_t DIFFUSE_SHARE_PERCENT = 25;
// Diffuse resamples summed together, at most: their 16-bit sums of two
// groups (32 KB) stay in the first-level cache, the 32-bit ones in the
// second, and the table is read once for all of them.
constexpr int32_t SUMMED_TOGETHER = 64;

// Partial sums are 16-bit: scores lie within +-128, so up to 255 draws
// add up without overflow before they go into the 32-bit sums.
constexpr int32_t DRAWS_PER_PARTIAL = std::numeric_limits<int16_t>::max() / 128;

int32_t datum_of(uint32_t entry) { return static_cast<int32_t>(entry >> 16); }
int32_t count_of(uint32_t entry) { return static_cast<int32_t>(entry & 0xFFFF); }

// sums[k] = the sum over the entries of count * base[datum * stride + k]
// for k < W, in 16-bit partial sums as long as they cannot overflow.
template <int32_t W>
inline __attribute__((always_inline)) void fixed_width_sums(const int8_t* __restrict base, std::size_t stride,
                             const uint32_t* entries, int32_t entry_count, int32_t* __restrict sums) {
  int32_t total[W];
  for (int32_t k = 0; k < W; ++k) total[k] = 0;
  int32_t e = 0;
  while (e < entry_count) {
    int16_t partial[W];
    for (int32_t k = 0; k < W; ++k) partial[k] = 0;
    int32_t draws = 0;
    for (; e < entry_count; ++e) {
      const int32_t count = count_of(entries[e]);
      const int8_t* __restrict column = base + static_cast<std::size_t>(datum_of(entries[e])) * stride;
      if (count > DRAWS_PER_PARTIAL) {  // too many for 16 bits at once
        for (int32_t k = 0; k < W; ++k) total[k] += count * column[k];
        continue;
      }
      if (draws + count > DRAWS_PER_PARTIAL) break;
      const int16_t m = static_cast<int16_t>(count);
      for (int32_t k = 0; k < W; ++k) partial[k] = static_cast<int16_t>(partial[k] + m * column[k]);
      draws += count;
    }
    for (int32_t k = 0; k < W; ++k) total[k] += partial[k];
  }
  for (int32_t k = 0; k < W; ++k) sums[k] = total[k];
}

SORVEL_VECTOR_KERNEL(void, block_sums,
                     (const int8_t* base, std::size_t stride, const uint32_t* entries,
                      int32_t entry_count, int32_t* sums),
                     (base, stride, entries, entry_count, sums)) {
  fixed_width_sums<BLOCK>(base, stride, entries, entry_count, sums);
}

SORVEL_VECTOR_KERNEL(void, group_block_sums,
                     (const int8_t* base, std::size_t stride, const uint32_t* entries,
                      int32_t entry_count, int32_t* sums),
                     (base, stride, entries, entry_count, sums)) {
  fixed_width_sums<GROUP_BLOCKS>(base, stride, entries, entry_count, sums);
}

SORVEL_VECTOR_KERNEL(void, group_sums,
                     (const int8_t* base, std::size_t stride, const uint32_t* entries,
                      int32_t entry_count, int32_t* sums),
                     (base, stride, entries, entry_count, sums)) {
  fixed_width_sums<GROUP>(base, stride, entries, entry_count, sums);
}

// Diffuse resamples taken together: the data that any of them drew,
// each with the resamples (of the batch) that drew it and how often, and
// the data cut into runs in which no resample draws more than
// DRAWS_PER_PARTIAL times, so that 16-bit partial sums hold the run
// exactly (|sum| <= 255 * 128 = 32640). A datum drawn more often than
// that by one resample goes into that resample's 32-bit sums at once.
struct BatchDraws {
  int32_t resamples = 0;
  std::vector<int32_t> data;       // the drawn data, in data order
  std::vector<int32_t> first;      // their draws: first[i] .. first[i + 1] - 1
  std::vector<uint16_t> member;    // the resample of the batch of each draw
  std::vector<uint16_t> count;     // and its multiplicity
  std::vector<int32_t> run_start;  // index into `data` of each run, and data.size() at the end
};

// sums[r * W + k] = resample r's sum over state k of the W states whose
// columns start at `base`, every datum's W scores read once for the
// whole batch.
template <int32_t W>
inline __attribute__((always_inline)) void fixed_width_batch_sums(
    const int8_t* __restrict base, std::size_t stride, const BatchDraws& draws,
    int16_t* __restrict partial, int32_t* __restrict sums) {
  const int32_t lanes = draws.resamples * W;
  for (int32_t i = 0; i < lanes; ++i) sums[i] = 0;
  const std::size_t runs = draws.run_start.size() - 1;
  for (std::size_t run = 0; run < runs; ++run) {
    for (int32_t i = 0; i < lanes; ++i) partial[i] = 0;
    for (int32_t i = draws.run_start[run]; i < draws.run_start[run + 1]; ++i) {
      const int8_t* __restrict column = base + static_cast<std::size_t>(draws.data[static_cast<std::size_t>(i)]) * stride;
      int16_t wide[W];
      for (int32_t k = 0; k < W; ++k) wide[k] = column[k];
      const int32_t end = draws.first[static_cast<std::size_t>(i) + 1];
      for (int32_t d = draws.first[static_cast<std::size_t>(i)]; d < end; ++d) {
        const int32_t r = draws.member[static_cast<std::size_t>(d)];
        const int32_t count = draws.count[static_cast<std::size_t>(d)];
        if (count > DRAWS_PER_PARTIAL) {
          int32_t* __restrict total = sums + r * W;
          for (int32_t k = 0; k < W; ++k) total[k] += count * column[k];
          continue;
        }
        int16_t* __restrict lane = partial + r * W;
        const int16_t m = static_cast<int16_t>(count);
        for (int32_t k = 0; k < W; ++k) lane[k] = static_cast<int16_t>(lane[k] + m * wide[k]);
      }
    }
    for (int32_t i = 0; i < lanes; ++i) sums[i] += partial[i];
  }
}

SORVEL_VECTOR_KERNEL(void, batch_group_sums,
                     (const int8_t* base, std::size_t stride, const BatchDraws& draws,
                      int16_t* partial, int32_t* sums),
                     (base, stride, draws, partial, sums)) {
  fixed_width_batch_sums<GROUP>(base, stride, draws, partial, sums);
}

SORVEL_VECTOR_KERNEL(void, batch_pair_sums,
                     (const int8_t* base, std::size_t stride, const BatchDraws& draws,
                      int16_t* partial, int32_t* sums),
                     (base, stride, draws, partial, sums)) {
  fixed_width_batch_sums<2 * GROUP>(base, stride, draws, partial, sums);
}

}  // namespace

bool is_better(const ResampleBest& candidate, const ResampleBest& best) {
  return candidate.sum > best.sum || (candidate.sum == best.sum && candidate.index < best.index);
}

void drawn_entries(const uint16_t* counts, int32_t n, std::vector<uint32_t>& entries) {
  entries.clear();
  for (int32_t j = 0; j < n; ++j)
    if (counts[j] > 0) entries.push_back(static_cast<uint32_t>(j) << 16 | counts[j]);
}

SORVEL_VECTOR_KERNEL(void, weighted_column_sums,
                     (const int8_t* __restrict base, std::size_t stride, int32_t width,
                      const uint32_t* entries, int32_t entry_count, int16_t* __restrict partial,
                      int32_t* __restrict sums),
                     (base, stride, width, entries, entry_count, partial, sums)) {
  for (int32_t k = 0; k < width; ++k) sums[k] = 0;
  int32_t e = 0;
  while (e < entry_count) {
    for (int32_t k = 0; k < width; ++k) partial[k] = 0;
    int32_t draws = 0;
    while (e < entry_count) {
      const int32_t count = count_of(entries[e]);
      const int8_t* __restrict column = base + static_cast<std::size_t>(datum_of(entries[e])) * stride;
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
        const int8_t* __restrict other = base + static_cast<std::size_t>(datum_of(entries[e + 1])) * stride;
        const int16_t n = static_cast<int16_t>(next);
        for (int32_t k = 0; k < width; ++k)
          partial[k] = static_cast<int16_t>(partial[k] + m * column[k] + n * other[k]);
        draws += count + next;
        e += 2;
        continue;
      }
      for (int32_t k = 0; k < width; ++k) partial[k] = static_cast<int16_t>(partial[k] + m * column[k]);
      draws += count;
      ++e;
    }
    for (int32_t k = 0; k < width; ++k) sums[k] += partial[k];
  }
}

struct ResampleSearchPlan {
  ScoreTable table;                // rows in `original` order while the plan lives
  std::vector<int32_t> original;   // the row of the table at each position
  std::vector<int32_t> position;   // the position of each row
  bool reordered = false;          // the rows gathered into `original` order, to be put back
  int32_t blocks = 0, groups = 0;
  std::vector<int8_t> block_max;   // column j's greatest score in block t of group g at
                                   // (g * columns + j) * GROUP_BLOCKS + t: a group's together
  std::vector<int8_t> group_max;   // the same per group, at j * groups + g
  int threads = 1;
};

namespace {

const int8_t* column_of(const ResampleSearchPlan& plan, int32_t j) {
  return plan.table.scores + static_cast<std::size_t>(j) * static_cast<std::size_t>(plan.table.points);
}

// Each column's rows gathered: row p of the result is row `from[p]` of
// the column before, one column at a time on each thread. Both ways of
// the plan's order are gathers (the way back by the inverse order):
// reading at random and writing in order costs about half of the
// opposite on a 59,400-row column.
void gather_rows(const ScoreTable& table, const std::vector<int32_t>& from, int threads) {
  const std::size_t points = static_cast<std::size_t>(table.points);
  std::vector<std::vector<int8_t>> buffers(static_cast<std::size_t>(threads), std::vector<int8_t>(points));
  std::atomic<int32_t> next{0};
  run_on_threads(threads, [&](int slot) {
    int8_t* buffer = buffers[static_cast<std::size_t>(slot)].data();
    for (int32_t j = next++; j < table.columns; j = next++) {
      int8_t* column = table.scores + static_cast<std::size_t>(j) * points;
      std::copy(column, column + points, buffer);
      for (std::size_t p = 0; p < points; ++p) column[p] = buffer[from[p]];
    }
  });
}

// most[t] = the greatest of the eight scores of block t, t < blocks, of
// the whole blocks from `column` on.
void block_maxima_plain(const int8_t* column, int32_t blocks, int8_t* most) {
  for (int32_t t = 0; t < blocks; ++t) {
    int8_t m = column[BLOCK * t];
    for (int32_t i = 1; i < BLOCK; ++i) m = column[BLOCK * t + i] > m ? column[BLOCK * t + i] : m;
    most[t] = m;
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
// Four blocks a vector: each 64-bit lane holds a block, and three
// maxima with the lane shifted by half, a quarter and an eighth of it
// leave the block's greatest score in its lowest byte.
__attribute__((target("avx2"))) void block_maxima_avx2(const int8_t* column, int32_t blocks, int8_t* most) {
  int32_t t = 0;
  for (; t + 4 <= blocks; t += 4) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(column + BLOCK * t));
    v = _mm256_max_epi8(v, _mm256_srli_epi64(v, 32));
    v = _mm256_max_epi8(v, _mm256_srli_epi64(v, 16));
    v = _mm256_max_epi8(v, _mm256_srli_epi64(v, 8));
    alignas(32) int8_t lanes[32];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
    for (int32_t i = 0; i < 4; ++i) most[t + i] = lanes[8 * i];
  }
  block_maxima_plain(column + BLOCK * t, blocks - t, most + t);
}
#endif

void block_maxima(const int8_t* column, int32_t blocks, int8_t* most) {
#if defined(__x86_64__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx2")) return block_maxima_avx2(column, blocks, most);
#endif
  block_maxima_plain(column, blocks, most);
}

void find_maxima(ResampleSearchPlan& plan) {
  const int32_t points = plan.table.points;
  parallel_for(plan.table.columns, plan.threads, [&](int32_t j) {
    const int8_t* column = column_of(plan, j);
    int8_t* group_max = plan.group_max.data() + static_cast<std::size_t>(j) * plan.groups;
    for (int32_t g = 0; g < plan.groups; ++g) {
      int8_t* block_max = plan.block_max.data() +
                          (static_cast<std::size_t>(g) * plan.table.columns + j) * GROUP_BLOCKS;
      const int32_t first_block = g * GROUP_BLOCKS;
      const int32_t whole = std::clamp(points / BLOCK - first_block, 0, GROUP_BLOCKS);
      block_maxima(column + static_cast<std::size_t>(first_block) * BLOCK, whole, block_max);
      for (int32_t t = whole; t < GROUP_BLOCKS; ++t) {  // the last, short block, and none past it
        const int32_t first = (first_block + t) * BLOCK, end = std::min(points, first + BLOCK);
        int8_t most = std::numeric_limits<int8_t>::min();
        for (int32_t p = first; p < end; ++p) most = column[p] > most ? column[p] : most;
        block_max[t] = most;
      }
      int8_t group_most = std::numeric_limits<int8_t>::min();
      for (int32_t t = 0; t < GROUP_BLOCKS; ++t) group_most = block_max[t] > group_most ? block_max[t] : group_most;
      group_max[g] = group_most;
    }
  });
}

// The scores of the states at `seeds` (0-based states), one row of every
// datum's score per seed: each resample's sums at the seeds then read
// these rows instead of the whole table.
std::vector<int8_t> seed_rows(const ResampleSearchPlan& plan, std::span<const int32_t> seeds) {
  const std::size_t n = static_cast<std::size_t>(plan.table.columns);
  std::vector<int8_t> rows(seeds.size() * n);
  for (std::size_t j = 0; j < n; ++j) {
    const int8_t* column = column_of(plan, static_cast<int32_t>(j));
    for (std::size_t s = 0; s < seeds.size(); ++s)
      rows[s * n + j] = column[plan.position[static_cast<std::size_t>(seeds[s])]];
  }
  return rows;
}

// The sum of one resample over a row of seed_rows.
int32_t sum_of_row(const int8_t* row, const std::vector<uint32_t>& entries) {
  int32_t sum = 0;
  for (uint32_t e : entries) sum += count_of(e) * row[datum_of(e)];
  return sum;
}

// The sums of `width` states from position `first` on, each a candidate
// for the best state.
void sum_states(const ResampleSearchPlan& plan, const std::vector<uint32_t>& entries, int32_t first,
                int32_t width, int16_t* partial, int32_t* sums, ResampleBest& best) {
  const std::size_t stride = static_cast<std::size_t>(plan.table.points);
  const int32_t count = static_cast<int32_t>(entries.size());
  const int8_t* base = plan.table.scores + first;
  if (width == GROUP)
    group_sums(base, stride, entries.data(), count, sums);

  else if (width == BLOCK)
    block_sums(base, stride, entries.data(), count, sums);
  else
    weighted_column_sums(base, stride, width, entries.data(), count, partial, sums);
  for (int32_t k = 0; k < width; ++k) {
    const ResampleBest candidate{plan.original[static_cast<std::size_t>(first + k)], sums[k]};
    if (is_better(candidate, best)) best = candidate;
  }
}

// One thread's part: the resamples' best states so far and room for sums.
struct Searcher {
  std::vector<ResampleBest> best;
  std::vector<int64_t> summed;   // states summed per resample
  std::vector<int16_t> partial;
  std::vector<int32_t> sums;
  std::vector<int16_t> batch_partial;  // a group's sums for every resample of a batch
  std::vector<int32_t> batch_sums;
  std::vector<int8_t> pair_scratch;    // a span's scores of every pair of data, interleaved
  std::vector<uint8_t> batches_summing;  // whether each batch sums the span at hand
};

// Group g of resample r, its blocks bounded where the group's bound
// reaches the best sum so far, and summed where theirs do.
void search_group(const ResampleSearchPlan& plan, const std::vector<uint32_t>& entries, int32_t g,
                  Searcher& s, std::size_t r) {
  ResampleBest& best = s.best[r];
  const int32_t first_block = g * GROUP_BLOCKS;
  const int32_t blocks = std::min(GROUP_BLOCKS, plan.blocks - first_block);
  const int32_t count = static_cast<int32_t>(entries.size());
  int32_t bound[GROUP_BLOCKS];
  const int8_t* base =
      plan.block_max.data() + static_cast<std::size_t>(g) * plan.table.columns * GROUP_BLOCKS;
  if (blocks == GROUP_BLOCKS)
    group_block_sums(base, GROUP_BLOCKS, entries.data(), count, bound);
  else
    weighted_column_sums(base, GROUP_BLOCKS, blocks, entries.data(), count, s.partial.data(), bound);
  int32_t reaching = 0;
  for (int32_t b = 0; b < blocks; ++b) reaching += bound[b] >= best.sum;
  if (reaching == 0) return;
  const int32_t points = plan.table.points;
  if (reaching >= WHOLE_GROUP_BLOCKS) {
    const int32_t first = g * GROUP, width = std::min(GROUP, points - first);
    sum_states(plan, entries, first, width, s.partial.data(), s.sums.data(), best);
    s.summed[r] += width;
    return;
  }
  for (int32_t b = 0; b < blocks; ++b) {
    if (bound[b] < best.sum) continue;
    const int32_t first = (first_block + b) * BLOCK, width = std::min(BLOCK, points - first);
    sum_states(plan, entries, first, width, s.partial.data(), s.sums.data(), best);
    s.summed[r] += width;
  }
}

// The draws of the resamples `members` of `counts`, laid out for
// batch_group_sums.
void gather_batch_draws(std::span<const uint16_t* const> counts, const std::vector<int32_t>& members,
                        int32_t n, BatchDraws& draws) {
  draws = BatchDraws{};
  draws.resamples = static_cast<int32_t>(members.size());
  draws.run_start.push_back(0);
  std::vector<int32_t> run(members.size(), 0);  // each resample's draws in the run so far
  for (int32_t j = 0; j < n; ++j) {
    const std::size_t start = draws.member.size();
    bool full = false;
    for (std::size_t b = 0; b < members.size(); ++b) {
      const int32_t count = counts[static_cast<std::size_t>(members[b])][j];
      if (count == 0) continue;
      draws.member.push_back(static_cast<uint16_t>(b));
      draws.count.push_back(static_cast<uint16_t>(count));
      full = full || (count <= DRAWS_PER_PARTIAL && run[b] + count > DRAWS_PER_PARTIAL);
    }
    if (draws.member.size() == start) continue;
    if (full) {
      draws.run_start.push_back(static_cast<int32_t>(draws.data.size()));
      std::fill(run.begin(), run.end(), 0);
    }
    for (std::size_t d = start; d < draws.member.size(); ++d)
      if (draws.count[d] <= DRAWS_PER_PARTIAL) run[draws.member[d]] += draws.count[d];
    draws.data.push_back(j);
    draws.first.push_back(static_cast<int32_t>(start));
  }
  draws.first.push_back(static_cast<int32_t>(draws.member.size()));
  draws.run_start.push_back(static_cast<int32_t>(draws.data.size()));
}

// The `width` states from position `first` on for the diffuse resamples
// `members`, each a candidate for their best states: summed together in
// spans of one or two groups, the table's last states apart. `interleaved`
// is the span laid out for the paired sums, where they are taken.
void sum_span_batched(const ResampleSearchPlan& plan, const std::vector<std::vector<uint32_t>>& entries,
                      const std::vector<int32_t>& members, const BatchDraws& draws,
                      const PairedDraws* paired, const int8_t* interleaved, int32_t first, int32_t width,
                      Searcher& s) {
  if (width != GROUP && width != 2 * GROUP) {  // too few to share
    for (int32_t r : members) {
      sum_states(plan, entries[static_cast<std::size_t>(r)], first, width, s.partial.data(), s.sums.data(),
                 s.best[static_cast<std::size_t>(r)]);
      s.summed[static_cast<std::size_t>(r)] += width;
    }
    return;
  }
  const std::size_t stride = static_cast<std::size_t>(plan.table.points);
  if (paired != nullptr)
    paired_batch_sums(plan.table.scores + first, stride, width, *paired, interleaved, s.batch_sums.data());
  else if (width == GROUP)
    batch_group_sums(plan.table.scores + first, stride, draws, s.batch_partial.data(), s.batch_sums.data());
  else
    batch_pair_sums(plan.table.scores + first, stride, draws, s.batch_partial.data(), s.batch_sums.data());
  for (std::size_t b = 0; b < members.size(); ++b) {
    const int32_t* sums = s.batch_sums.data() + b * static_cast<std::size_t>(width);
    ResampleBest& best = s.best[static_cast<std::size_t>(members[b])];
    s.summed[static_cast<std::size_t>(members[b])] += width;
    int32_t most = sums[0];
    for (int32_t k = 1; k < width; ++k) most = sums[k] > most ? sums[k] : most;
    if (most < best.sum) continue;
    for (int32_t k = 0; k < width; ++k) {
      const ResampleBest candidate{plan.original[static_cast<std::size_t>(first + k)], sums[k]};
      if (is_better(candidate, best)) best = candidate;
    }
  }
}

// The groups of chunk c for the batches of diffuse resamples (each drawn
// as its `draws` gives), summed for all the resamples of a batch together
// where the bound of any of them reaches its best sum so far, two
// neighbours at a time where some batch reaches each. A span is laid out
// for the paired sums once for every batch that sums it.
void sum_chunk_batched(const ResampleSearchPlan& plan, const std::vector<std::vector<uint32_t>>& entries,
                       const std::vector<int32_t>& group_bound, const std::vector<std::vector<int32_t>>& batches,
                       const std::vector<BatchDraws>& draws, const std::vector<PairedDraws>& paired, int32_t c,
                       Searcher& s) {
  const std::size_t groups = static_cast<std::size_t>(plan.groups);
  const int32_t end = std::min(plan.groups, (c + 1) * CHUNK_GROUPS);
  auto reaching = [&](const std::vector<int32_t>& members, int32_t g) {
    for (int32_t r : members)
      if (group_bound[static_cast<std::size_t>(r) * groups + static_cast<std::size_t>(g)] >=
          s.best[static_cast<std::size_t>(r)].sum)
        return true;
    return false;
  };
  std::vector<uint8_t>& summing = s.batches_summing;
  summing.assign(batches.size(), 0);
  for (int32_t g = c * CHUNK_GROUPS; g < end; ++g) {
    bool any = false;
    for (std::size_t b = 0; b < batches.size(); ++b) {
      summing[b] = reaching(batches[b], g);
      any = any || summing[b];
    }
    if (!any) continue;
    const int32_t first = g * GROUP;
    int32_t width = std::min(GROUP, plan.table.points - first);
    if (g + 1 < end && plan.table.points - first >= 2 * GROUP) {
      bool next = false;
      for (std::size_t b = 0; b < batches.size(); ++b)
        if (reaching(batches[b], g + 1)) next = true, summing[b] = 1;
      if (next) width = 2 * GROUP, ++g;
    }
    const bool pairs = !paired.empty() && (width == GROUP || width == 2 * GROUP);
    if (pairs)
      interleave_pairs(plan.table.scores + first, static_cast<std::size_t>(plan.table.points), width,
                       plan.table.columns, s.pair_scratch.data());
    for (std::size_t b = 0; b < batches.size(); ++b)
      if (summing[b])
        sum_span_batched(plan, entries, batches[b], draws[b], pairs ? &paired[b] : nullptr, s.pair_scratch.data(),
                         first, width, s);
  }
}

}  // namespace

ResampleSearchPlanPtr plan_resample_search(const ScoreTable& table, std::span<const int32_t> order,
                                           int threads) {
  try {
    ResampleSearchPlanPtr plan(new ResampleSearchPlan);
    plan->threads = threads < 1 ? 1 : threads;
    const std::size_t points = static_cast<std::size_t>(table.points);
    if (table.rows != nullptr) {
      plan->original.assign(table.rows, table.rows + points);
      plan->reordered = false;
    } else if (order.empty()) {
      plan->original.resize(points);
      for (std::size_t p = 0; p < points; ++p) plan->original[p] = static_cast<int32_t>(p);
    } else {
      plan->original.assign(order.begin(), order.end());
      plan->reordered = true;
    }
    plan->position.resize(points);
    for (std::size_t p = 0; p < points; ++p) plan->position[static_cast<std::size_t>(plan->original[p])] = static_cast<int32_t>(p);
    plan->blocks = (table.points + BLOCK - 1) / BLOCK;
    plan->groups = (plan->blocks + GROUP_BLOCKS - 1) / GROUP_BLOCKS;
    const std::size_t columns = static_cast<std::size_t>(table.columns);
    plan->block_max.resize(columns * static_cast<std::size_t>(plan->groups) * GROUP_BLOCKS);
    plan->group_max.resize(columns * static_cast<std::size_t>(plan->groups));
    if (plan->reordered) gather_rows(table, plan->original, plan->threads);
    plan->table = table;  // from here on the deleter puts the rows back
    find_maxima(*plan);
    return plan;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ResampleSearchPlanDeleter::operator()(ResampleSearchPlan* plan) const {
  if (plan->table.scores != nullptr && plan->reordered) {
    bool moved = false;
    for (std::size_t p = 0; p < plan->original.size() && !moved; ++p)
      moved = plan->original[p] != static_cast<int32_t>(p);
    if (moved) gather_rows(plan->table, plan->position, plan->threads);
  }
  delete plan;
}

void best_states_of_resamples(ResampleSearchPlan& plan, std::span<const uint16_t* const> counts,
                              std::span<const int32_t> seeds, int threads, ResampleBest* best,
                              ResampleTally& tally) {
  const std::size_t batch = counts.size();
  const int32_t n = plan.table.columns;
  threads = threads < 1 ? 1 : threads;
  std::vector<std::vector<uint32_t>> entries(batch);
  // Each resample's group bounds, and the greatest of its sums at the
  // seeds: the sum to beat.
  std::vector<int32_t> group_bound(batch * static_cast<std::size_t>(plan.groups));
  std::vector<ResampleBest> first(batch);
  std::vector<uint8_t> diffuse(batch);
  const std::vector<int8_t> rows = seed_rows(plan, seeds);
  {
    std::vector<std::vector<int16_t>> partial(static_cast<std::size_t>(threads),
                                              std::vector<int16_t>(static_cast<std::size_t>(plan.groups)));
    std::atomic<std::size_t> next{0};
    run_on_threads(threads, [&](int slot) {
      for (std::size_t r = next++; r < batch; r = next++) {
        drawn_entries(counts[r], n, entries[r]);
        weighted_column_sums(plan.group_max.data(), static_cast<std::size_t>(plan.groups), plan.groups,
                             entries[r].data(), static_cast<int32_t>(entries[r].size()),
                             partial[static_cast<std::size_t>(slot)].data(),
                             group_bound.data() + r * static_cast<std::size_t>(plan.groups));
        ResampleBest top{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
        for (std::size_t i = 0; i < seeds.size(); ++i) {
          const ResampleBest candidate{seeds[i], sum_of_row(rows.data() + i * static_cast<std::size_t>(n), entries[r])};
          if (is_better(candidate, top)) top = candidate;
        }
        first[r] = top;
        const int32_t* bounds = group_bound.data() + r * static_cast<std::size_t>(plan.groups);
        int32_t reaching = 0;
        for (int32_t g = 0; g < plan.groups; ++g) reaching += bounds[g] >= top.sum;
        diffuse[r] = 100 * static_cast<int64_t>(reaching) > DIFFUSE_SHARE_PERCENT * static_cast<int64_t>(plan.groups);
      }
    });
  }
  // The diffuse resamples are summed in batches, each datum's scores of a
  // group read once for all the resamples of a batch that drew it.
  std::vector<std::vector<int32_t>> batches;
  for (std::size_t r = 0; r < batch; ++r) {
    if (!diffuse[r]) continue;
    if (batches.empty() || batches.back().size() == static_cast<std::size_t>(SUMMED_TOGETHER))
      batches.emplace_back();
    batches.back().push_back(static_cast<int32_t>(r));
  }
  // Where the processor multiplies pairs of bytes in one instruction, the
  // batches are summed over pairs of data instead.
  const bool pairs = paired_sums_available();
  std::vector<BatchDraws> draws(batches.size());
  std::vector<PairedDraws> paired(pairs ? batches.size() : 0);
  for (std::size_t b = 0; b < batches.size(); ++b) {
    if (pairs)
      gather_paired_draws(counts, batches[b], n, paired[b]);
    else
      gather_batch_draws(counts, batches[b], n, draws[b]);
  }
  // The groups shared out among the threads, each keeping its own best
  // states; a resample's best is then the best of theirs.
  std::vector<Searcher> searchers(static_cast<std::size_t>(threads));
  const int32_t chunks = (plan.groups + CHUNK_GROUPS - 1) / CHUNK_GROUPS;
  std::atomic<int32_t> next_chunk{0};
  run_on_threads(threads, [&](int slot) {
    Searcher& s = searchers[static_cast<std::size_t>(slot)];
    s.best = first;
    s.summed.assign(batch, 0);
    s.partial.resize(CHUNK);
    s.sums.resize(CHUNK);
    if (!batches.empty()) {
      s.batch_partial.resize(static_cast<std::size_t>(SUMMED_TOGETHER) * 2 * GROUP);
      s.batch_sums.resize(static_cast<std::size_t>(SUMMED_TOGETHER) * 2 * GROUP);
      if (pairs) s.pair_scratch.resize(static_cast<std::size_t>(n + 1) / 2 * 2 * 2 * GROUP);
    }
    for (int32_t c = next_chunk++; c < chunks; c = next_chunk++) {
      for (std::size_t r = 0; r < batch; ++r) {
        if (diffuse[r]) continue;
        const int32_t* bounds = group_bound.data() + r * static_cast<std::size_t>(plan.groups);
        const int32_t end = std::min(plan.groups, (c + 1) * CHUNK_GROUPS);
        for (int32_t g = c * CHUNK_GROUPS; g < end; ++g)
          if (bounds[g] >= s.best[r].sum) search_group(plan, entries[r], g, s, r);
      }
      if (!batches.empty()) sum_chunk_batched(plan, entries, group_bound, batches, draws, paired, c, s);
    }
  });
  for (std::size_t r = 0; r < batch; ++r) {
    ResampleBest top = searchers[0].best[r];
    int64_t summed = 0;
    for (const Searcher& s : searchers) {
      if (is_better(s.best[r], top)) top = s.best[r];
      summed += s.summed[r];
    }
    best[r] = top;
    tally.states_summed += summed;
    tally.states_seen += plan.table.points;
    tally.resamples += 1;
    tally.resamples_pruned += summed < plan.table.points;
    tally.resamples_batched += diffuse[r];
  }
}
