#include "analyses/mim/bounded_search.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <vector>

#include "analyses/mim/subset_counting.h"
#include "platform/large_blocks.h"
#include "common/threads.h"
#include "common/vector_clones.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Blocks of eight GridPoints in groups of 16 blocks, and groups in
// sixteens, each group and sixteen bounded before what it holds is
// looked at, so that most groups never are; the blocks' bounds give the
// groups' first bounds. The search works on a copy of the columns with the
// GridPoints in an order of the caller's (stress_order.h: neighbours
// alike in stress), padded to whole groups, each group's 16 blocks
// interleaved: block b of a group holds its
// positions b, b + 16, ..., b + 112. So the sums of a group and the
// greatest sum of each of its blocks are formed sixteen lanes at a time.
// The columns' greatest scores per block and group take 13 % of the
// room of the scores themselves.
constexpr int32_t BLOCK = SEARCH_BLOCK;  // GridPoints of a block
constexpr int32_t GROUP = 16;            // blocks of a group
constexpr int32_t SPAN = BLOCK * GROUP;  // GridPoints of a group
static_assert(SPAN == SEARCH_GROUP);
// A padding position scores below any datum's least score, so that no
// sum of k scores that a GridPoint has can be matched by it.
constexpr int8_t PADDING_SCORE = -128;
constexpr int MAX_K = MAX_SUBSET_SIZE;
// Data of level k - 1 followed by at least this many last data get the
// tighter bounds per group.
constexpr int32_t MANY_LAST_DATA = 12;
// The bound of a padding group: with any score added, below any sum of k
// scores, and far from the least 16-bit number.
constexpr int16_t LEAST_BOUND = -16384;
// Winners remembered by the last two and the last three data of their
// subsets, in tables of this many entries each (a power of two).
constexpr std::size_t REMEMBERED = 1 << 16;
// More pieces than this would cost more memory than they save in waiting.
constexpr int32_t MAX_TASKS = 1 << 20;
// The greatest summed scores of every pair of data per group are kept
// only while they take at most this many bytes (100 data: 4.8 MB).
constexpr std::size_t MAX_PAIR_BYTES = std::size_t{16} << 20;
// A padding group's greatest summed score of two columns.
constexpr int16_t PADDING_PAIR = 2 * PADDING_SCORE;
// Where the pairs' maxima are not kept, the bound they stand for: above
// any sum, and far from the greatest 16-bit number.
constexpr int16_t NO_PAIR_BOUND = 8192;

// A piece of the search: every subset whose first `depth` data (0-based)
// are these, and the subset counter after its last subset.
struct Task {
  int16_t first[3];
  int32_t end;
};

// One thread's votes, partial sums and current subset. Level m holds,
// for every GridPoint, the sum of the scores of the subset's first m data.
// Level k - 1, to which the last datum is added, is formed group by group
// only where a subset needs it, with the greatest sum of each of its
// groups: a group needs it when its bounds from level k - 2 (the
// greatest sum there plus the greatest score of each of the two last
// columns, or their greatest summed score) reach the sum to beat.
struct Worker {
  std::vector<int32_t> votes;
  std::vector<int16_t> sums;         // levels 1 .. k - 1, `points` entries each
  std::vector<int16_t> zeros;        // level 0
  std::vector<int16_t> below_top;    // greatest sum of level k - 2 per group, padded to whole
                                     // sixteens with LEAST_BOUND
  std::vector<int16_t> below_super_top;  // the same per sixteen groups, padded likewise
  std::vector<int16_t> below_block_top;  // the same per block
  std::vector<int16_t> coarse;       // a bound of level k - 1 per group: of its blocks, the greatest
                                     // below_block_top plus column j(k-1)'s greatest score;
                                     // padded to whole sixteens with LEAST_BOUND
  std::vector<int16_t> super_coarse; // per sixteen groups, the greatest of their coarse bounds
                                     // when the datum of level k - 1 was set; padded likewise
  std::vector<int16_t> group_top;    // the same per group
  std::vector<uint32_t> formed;      // per group: the generation in which it was formed
  uint32_t generation = 0;           // changes with the datum of level k - 1
  int32_t formed_count = 0;          // groups formed in this generation
  const int8_t* last_prefix_column = nullptr;  // that datum's column
  int32_t level_datum[MAX_K] = {-1, -1, -1, -1, -1, -1, -1, -1};  // last datum of level m
  // Winners of earlier subsets, whose sums give a subset its first sum to
  // beat: of the last subset, of the last four before it that differ
  // from it, of the last two different ones that ended with each datum,
  // and of the last subsets that ended with the same two and the same
  // three data (tables indexed by a hash of those: a collision costs a
  // weaker first bound, never a wrong vote).
  int32_t previous_winner = 0;
  int32_t recent[4] = {0, 0, 0, 0};
  int32_t next_recent = 0;
  std::vector<int32_t> winner_by_last, earlier_by_last;
  std::vector<int32_t> by_last_two, by_last_three;
};

}  // namespace

struct SubsetSearchPlan {
  ScoreColumns columns;           // reordered, padded and interleaved as above
  std::vector<int8_t, UnsetLargeBlockAllocator<int8_t>> reordered;  // their scores, unless in place
  ScoreColumns given{};           // the caller's columns, to be put back when laid out in place
  std::vector<int32_t> original;  // grid index at each position, -1 for padding
  int k;
  int depth;                      // leading data fixed by a task
  int32_t blocks, groups;
  int32_t group_stride;           // groups padded to whole sixteens
  int32_t supers, super_stride;   // sixteens of groups, and those padded to whole sixteens
  std::vector<int8_t> block_max;  // column j's greatest score in block b at j * blocks + b
  std::vector<int8_t> group_max;  // the same per group, at j * group_stride + g
  std::vector<int8_t> super_max;  // the same per sixteen groups, at j * super_stride + s
  // For every pair of data d < e, the greatest of the two columns' summed
  // scores in each group and each sixteen groups, at pair_row(d, e)
  // times group_stride or super_stride; where they would take too much
  // room, a single row of NO_PAIR_BOUND for every pair.
  bool pairs_kept = false;
  std::vector<int16_t> pair_group_max;
  std::vector<int16_t> pair_super_max;
  std::vector<Task> tasks;        // in the order of the subsets
  std::vector<Worker> workers;
  // Progress: the tasks done, and the first one not yet done.
  std::mutex progress_mutex;
  std::vector<uint8_t> done;
  std::size_t frontier = 0;
};

namespace {

int task_depth(int32_t n, int k) {
  int depth = k - 1 < 3 ? k - 1 : 3;
  while (depth > 1) {
    int32_t tasks = count_combinations(n, depth);
    if (tasks >= 0 && tasks <= MAX_TASKS) break;
    --depth;
  }
  return depth;
}

// Every prefix of `depth` data that some k-subset starts with, in order.
void list_tasks(SubsetSearchPlan& plan) {
  const int32_t n = plan.columns.n;
  const int k = plan.k, depth = plan.depth;
  int64_t counter = 0;
  int16_t first[MAX_K] = {0};
  auto add = [&](auto& self, int level, int32_t start) -> void {
    for (int32_t j = start; j <= n - 1 - (k - level); ++j) {
      first[level - 1] = static_cast<int16_t>(j);
      if (level < depth) {
        self(self, level + 1, j + 1);
        continue;
      }
      counter += count_combinations(n - 1 - j, k - depth);
      plan.tasks.push_back(Task{{first[0], first[1], first[2]}, static_cast<int32_t>(counter)});
    }
  };
  add(add, 1, 0);
}

const int8_t* column_of(const SubsetSearchPlan& plan, int32_t j) {
  return plan.columns.scores + static_cast<std::size_t>(j) * static_cast<std::size_t>(plan.columns.points);
}

void find_column_maxima(SubsetSearchPlan& plan, int threads) {
  parallel_for(plan.columns.n, threads, [&](int32_t j) {
    const int8_t* column = column_of(plan, j);
    int8_t* block_max = plan.block_max.data() + static_cast<std::size_t>(j) * plan.blocks;
    int8_t* group_max = plan.group_max.data() + static_cast<std::size_t>(j) * plan.group_stride;
    int8_t* super_max = plan.super_max.data() + static_cast<std::size_t>(j) * plan.super_stride;
    for (int32_t g = 0; g < plan.groups; ++g) {
      int8_t* top = block_max + g * GROUP;
      for (int32_t b = 0; b < GROUP; ++b) top[b] = std::numeric_limits<int8_t>::min();
      for (int32_t t = 0; t < BLOCK; ++t)
        for (int32_t b = 0; b < GROUP; ++b) {
          const int8_t score = column[g * SPAN + t * GROUP + b];
          top[b] = score > top[b] ? score : top[b];
        }
      int8_t most = std::numeric_limits<int8_t>::min();
      for (int32_t b = 0; b < GROUP; ++b) most = top[b] > most ? top[b] : most;
      group_max[g] = most;
      super_max[g / 16] = std::max(super_max[g / 16], most);
    }
  });
}

// Where the pair of data d < e has its greatest summed scores.
std::size_t pair_row(const SubsetSearchPlan& plan, int32_t d, int32_t e) {
  if (!plan.pairs_kept) return 0;
  const std::size_t n = static_cast<std::size_t>(plan.columns.n), row = static_cast<std::size_t>(d);
  return row * n - row * (row + 1) / 2 + static_cast<std::size_t>(e - d - 1);
}

int16_t* level_sums(Worker& w, const SubsetSearchPlan& plan, int m) {
  if (m == 0) return w.zeros.data();
  return w.sums.data() + static_cast<std::size_t>(m - 1) * plan.columns.points;
}

SORVEL_VECTOR_KERNEL(void, prefix_level,
                     (const int16_t* __restrict below, const int8_t* __restrict column,
                      int16_t* __restrict sums, int32_t points),
                     (below, column, sums, points)) {
  for (int32_t i = 0; i < points; ++i) sums[i] = static_cast<int16_t>(below[i] + column[i]);
}

// Sixteen sums of a row of a group as one vector, for compilers that
// have vector types; the lanes are ordinary 16-bit whole numbers.
#if defined(__GNUC__)
typedef int16_t Lanes16 __attribute__((vector_size(32)));
typedef int16_t Lanes8 __attribute__((vector_size(16)));
typedef int16_t Lanes4 __attribute__((vector_size(8)));
typedef int8_t Bytes16 __attribute__((vector_size(16)));

// The greatest of the sixteen lanes, halving the vector each step.
inline int16_t greatest_lane(const Lanes16& v) {
  Lanes8 low, high;
  std::memcpy(&low, &v, sizeof low);
  std::memcpy(&high, reinterpret_cast<const char*>(&v) + sizeof low, sizeof high);
  const Lanes8 eight = low > high ? low : high;
  Lanes4 a, b;
  std::memcpy(&a, &eight, sizeof a);
  std::memcpy(&b, reinterpret_cast<const char*>(&eight) + sizeof a, sizeof b);
  const Lanes4 four = a > b ? a : b;
  const int16_t two[2] = {four[0] > four[2] ? four[0] : four[2], four[1] > four[3] ? four[1] : four[3]};
  return two[0] > two[1] ? two[0] : two[1];
}

// The sixteen sums of 16-bit sums and a column's scores from position i.
inline void row_sums(const int16_t* sums, const int8_t* column, int32_t i, Lanes16& row) {
  Bytes16 scores;
  std::memcpy(&row, sums + i, sizeof row);
  std::memcpy(&scores, column + i, sizeof scores);
  row += __builtin_convertvector(scores, Lanes16);
}
#endif

// The sums of group g of a level, the greatest sum of each of its
// blocks (row after row of sixteen lanes, one lane a block) unless
// `block_top` is null, and, returned, of the group.
SORVEL_VECTOR_KERNEL(int16_t, form_group_sums,
                     (const int16_t* __restrict below, const int8_t* __restrict column,
                      int16_t* __restrict sums, int16_t* __restrict block_top, int32_t g),
                     (below, column, sums, block_top, g)) {
  const int32_t first = g * SPAN;
#if defined(__GNUC__)
  Lanes16 top;
  for (int32_t b = 0; b < GROUP; ++b) top[b] = std::numeric_limits<int16_t>::min();
  for (int32_t t = 0; t < BLOCK; ++t) {
    const int32_t i = first + t * GROUP;
    Lanes16 row;
    row_sums(below, column, i, row);
    std::memcpy(sums + i, &row, sizeof row);
    top = top > row ? top : row;
  }
  if (block_top != nullptr) std::memcpy(block_top + g * GROUP, &top, sizeof top);
  return greatest_lane(top);
#else
  int16_t top[GROUP];
  for (int32_t b = 0; b < GROUP; ++b) top[b] = std::numeric_limits<int16_t>::min();
  for (int32_t t = 0; t < BLOCK; ++t)
    for (int32_t b = 0; b < GROUP; ++b) {
      const int32_t i = first + t * GROUP + b;
      const int16_t sum = static_cast<int16_t>(below[i] + column[i]);
      sums[i] = sum;
      top[b] = sum > top[b] ? sum : top[b];
    }
  int16_t most = std::numeric_limits<int16_t>::min();
  for (int32_t b = 0; b < GROUP; ++b) {
    if (block_top != nullptr) block_top[g * GROUP + b] = top[b];
    most = top[b] > most ? top[b] : most;
  }
  return most;
#endif
}

// The greatest summed score of columns a and b in each group.
SORVEL_VECTOR_KERNEL(void, pair_group_maxima,
                     (const int8_t* __restrict a, const int8_t* __restrict b, int16_t* __restrict top,
                      int32_t groups),
                     (a, b, top, groups)) {
  for (int32_t g = 0; g < groups; ++g) {
#if defined(__GNUC__)
    Lanes16 most;
    for (int32_t lane = 0; lane < GROUP; ++lane) most[lane] = std::numeric_limits<int16_t>::min();
    for (int32_t t = 0; t < BLOCK; ++t) {
      const int32_t i = g * SPAN + t * GROUP;
      Bytes16 x, y;
      std::memcpy(&x, a + i, sizeof x);
      std::memcpy(&y, b + i, sizeof y);
      const Lanes16 sum = __builtin_convertvector(x, Lanes16) + __builtin_convertvector(y, Lanes16);
      most = most > sum ? most : sum;
    }
    top[g] = greatest_lane(most);
#else
    int16_t most = std::numeric_limits<int16_t>::min();
    for (int32_t i = g * SPAN; i < (g + 1) * SPAN; ++i) {
      const int16_t sum = static_cast<int16_t>(a[i] + b[i]);
      most = sum > most ? sum : most;
    }
    top[g] = most;
#endif
  }
}

// For every group, the greatest over its blocks of a block's greatest
// sum of level k - 2 plus its greatest score in the column of level k - 1.
SORVEL_VECTOR_KERNEL(void, coarse_bounds,
                     (const int16_t* __restrict block_top, const int8_t* __restrict block_max,
                      int16_t* __restrict coarse, int32_t groups),
                     (block_top, block_max, coarse, groups)) {
  for (int32_t g = 0; g < groups; ++g) {
#if defined(__GNUC__)
    Lanes16 tops;
    Bytes16 scores;
    std::memcpy(&tops, block_top + g * GROUP, sizeof tops);
    std::memcpy(&scores, block_max + g * GROUP, sizeof scores);
    coarse[g] = greatest_lane(tops + __builtin_convertvector(scores, Lanes16));
#else
    int16_t most = std::numeric_limits<int16_t>::min();
    for (int32_t b = 0; b < GROUP; ++b) {
      const int16_t bound = static_cast<int16_t>(block_top[g * GROUP + b] + block_max[g * GROUP + b]);
      most = bound > most ? bound : most;
    }
    coarse[g] = most;
#endif
  }
}

void form_level(Worker& w, const SubsetSearchPlan& plan);

// The greatest of sixteen entries each, for `count` sixteens.
void greatest_of_sixteens(const int16_t* from, int16_t* to, int32_t count) {
  for (int32_t s = 0; s < count; ++s) {
    int16_t most = from[16 * s];
    for (int32_t g = 1; g < 16; ++g) most = from[16 * s + g] > most ? from[16 * s + g] : most;
    to[s] = most;
  }
}

// Every pair's greatest summed scores per group and per sixteen groups,
// where they fit in MAX_PAIR_BYTES. Of the last two data of a subset,
// they bound a group more tightly than each one's greatest score does
// where the two data do not fit the same states best.
void find_pair_maxima(SubsetSearchPlan& plan, int threads) {
  const int32_t n = plan.columns.n;
  const std::size_t pairs = static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) / 2;
  const std::size_t entries = static_cast<std::size_t>(plan.group_stride + plan.super_stride);
  plan.pairs_kept = n >= 2 && pairs * entries * sizeof(int16_t) <= MAX_PAIR_BYTES;
  if (!plan.pairs_kept) {
    plan.pair_group_max.assign(static_cast<std::size_t>(plan.group_stride), NO_PAIR_BOUND);
    plan.pair_super_max.assign(static_cast<std::size_t>(plan.super_stride), NO_PAIR_BOUND);
    return;
  }
  plan.pair_group_max.assign(pairs * static_cast<std::size_t>(plan.group_stride), PADDING_PAIR);
  plan.pair_super_max.assign(pairs * static_cast<std::size_t>(plan.super_stride), PADDING_PAIR);
  parallel_for(n, threads, [&](int32_t d) {
    for (int32_t e = d + 1; e < n; ++e) {
      const std::size_t pair = pair_row(plan, d, e);
      int16_t* groups = plan.pair_group_max.data() + pair * static_cast<std::size_t>(plan.group_stride);
      pair_group_maxima(column_of(plan, d), column_of(plan, e), groups, plan.groups);
      greatest_of_sixteens(groups, plan.pair_super_max.data() + pair * static_cast<std::size_t>(plan.super_stride),
                           plan.supers);
    }
  });
}

// The greatest coarse bound of each sixteen groups. Forming a group later
// lowers its coarse bound; the greatest found here still bounds them.
void bound_supers(Worker& w, const SubsetSearchPlan& plan) {
  for (int32_t s = 0; s < plan.supers; ++s) {
    const int16_t* coarse = w.coarse.data() + 16 * s;
    int16_t most = coarse[0];
    for (int32_t g = 1; g < 16; ++g) most = coarse[g] > most ? coarse[g] : most;
    w.super_coarse[s] = most;
  }
}

// Level m (1-based) of the current subset now ends with datum j; the
// levels below it are set.
void set_level(Worker& w, const SubsetSearchPlan& plan, int m, int32_t j) {
  w.level_datum[m - 1] = j;
  const int8_t* column = column_of(plan, j);
  if (m == plan.k - 1) {  // formed group by group when needed
    w.last_prefix_column = column;
    // Where most groups were needed last time, all are formed at once,
    // which vector instructions do faster than one group at a time.
    const bool form_all = w.formed_count > plan.groups * 3 / 4;
    w.formed_count = 0;
    ++w.generation;
    if (form_all) {
      form_level(w, plan);
      return;
    }
    // The bounds from the blocks are the tighter, those from the groups
    // the cheaper: worth it only for a datum followed by many subsets.
    if (plan.columns.n - 1 - j >= MANY_LAST_DATA) {
      coarse_bounds(w.below_block_top.data(),
                    plan.block_max.data() + static_cast<std::size_t>(j) * plan.blocks,
                    w.coarse.data(), plan.groups);
    } else {
      const int8_t* group_max = plan.group_max.data() + static_cast<std::size_t>(j) * plan.group_stride;
      for (int32_t g = 0; g < plan.groups; ++g)
        w.coarse[g] = static_cast<int16_t>(w.below_top[g] + group_max[g]);
    }
    bound_supers(w, plan);
    return;
  }
  const int16_t* below = level_sums(w, plan, m - 1);
  int16_t* sums = level_sums(w, plan, m);
  if (m == plan.k - 2) {
    for (int32_t g = 0; g < plan.groups; ++g)
      w.below_top[g] = form_group_sums(below, column, sums, w.below_block_top.data(), g);
    greatest_of_sixteens(w.below_top.data(), w.below_super_top.data(), plan.supers);
  } else
    prefix_level(below, column, sums, plan.columns.points);
}

// Forms every group of level k - 1.
void form_level(Worker& w, const SubsetSearchPlan& plan) {
  const int16_t* below = level_sums(w, plan, plan.k - 2);
  int16_t* sums = level_sums(w, plan, plan.k - 1);
  for (int32_t g = 0; g < plan.groups; ++g) {
    const int16_t top = form_group_sums(below, w.last_prefix_column, sums, nullptr, g);
    w.group_top[g] = top;
    w.coarse[g] = top;
    w.formed[g] = w.generation;
  }
  w.formed_count = plan.groups;
  bound_supers(w, plan);
}

// Group g of level k - 1 is formed for the current datum of that level.
void mark_formed(Worker& w, int32_t g) {
  w.formed[g] = w.generation;
  ++w.formed_count;
}

// The greatest 16-bit number below `reached`: a sum exceeds it where it
// reaches `reached`.
inline int16_t bar_below(int reached) {
  const int limit = reached - 1;
  if (limit < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  if (limit > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  return static_cast<int16_t>(limit);
}

#if defined(__SSE2__)
// Bit i set where lane i of the sixteen (eight low, eight high) exceeds `bar`.
inline uint32_t above_bar_16(__m128i low, __m128i high, int16_t bar) {
  const __m128i bars = _mm_set1_epi16(bar);
  return static_cast<uint32_t>(
      _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(low, bars), _mm_cmpgt_epi16(high, bars))));
}
#endif

// Bit i of the result set where top[i] + most[i] >= reached, for i < 16:
// which of 16 groups qualify, or which sixteens of groups.
inline uint32_t reaching_16(const int16_t* top, const int8_t* most, int reached) {
  const int16_t bar = bar_below(reached);
#if defined(__SSE2__)
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(most));
  // The bytes widened with their signs: each in the upper half of a
  // lane, shifted down.
  const __m128i low = _mm_srai_epi16(_mm_unpacklo_epi8(bytes, bytes), 8);
  const __m128i high = _mm_srai_epi16(_mm_unpackhi_epi8(bytes, bytes), 8);
  return above_bar_16(_mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top)), low),
                      _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top + 8)), high), bar);
#else
  uint32_t bits = 0;
  for (int32_t i = 0; i < 16; ++i) bits |= static_cast<uint32_t>(top[i] + most[i] > bar) << i;
  return bits;
#endif
}

// The same where the second terms are pairs' summed scores.
inline uint32_t reaching_pairs_16(const int16_t* top, const int16_t* pairs, int reached) {
  const int16_t bar = bar_below(reached);
#if defined(__SSE2__)
  const auto load = [](const int16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  return above_bar_16(_mm_add_epi16(load(top), load(pairs)), _mm_add_epi16(load(top + 8), load(pairs + 8)), bar);
#else
  uint32_t bits = 0;
  for (int32_t i = 0; i < 16; ++i) bits |= static_cast<uint32_t>(top[i] + pairs[i] > bar) << i;
  return bits;
#endif
}

// The greatest sum of level k - 1 plus the last column in group g.
SORVEL_VECTOR_KERNEL(int16_t, greatest_group_sum,
                     (const int16_t* __restrict sums, const int8_t* __restrict column, int32_t g),
                     (sums, column, g)) {
  const int32_t first = g * SPAN;
#if defined(__GNUC__)
  Lanes16 top;
  for (int32_t b = 0; b < GROUP; ++b) top[b] = std::numeric_limits<int16_t>::min();
  for (int32_t t = 0; t < BLOCK; ++t) {
    Lanes16 row;
    row_sums(sums, column, first + t * GROUP, row);
    top = top > row ? top : row;
  }
  return greatest_lane(top);
#else
  int16_t most = std::numeric_limits<int16_t>::min();
  for (int32_t i = first; i < first + SPAN; ++i) {
    const int16_t sum = static_cast<int16_t>(sums[i] + column[i]);
    most = sum > most ? sum : most;
  }
  return most;
#endif
}

// Group g of level k - 1 formed from level k - 2 and the column of level
// k - 1, as form_group_sums does, with *prefix_top its greatest sum;
// returned, the greatest sum of it plus the last column.
SORVEL_VECTOR_KERNEL(int16_t, form_and_sum_group,
                     (const int16_t* __restrict below, const int8_t* __restrict prefix_column,
                      int16_t* __restrict sums, const int8_t* __restrict column, int32_t g,
                      int16_t* prefix_top),
                     (below, prefix_column, sums, column, g, prefix_top)) {
  const int32_t first = g * SPAN;
#if defined(__GNUC__)
  Lanes16 top, last_top;
  for (int32_t b = 0; b < GROUP; ++b) top[b] = last_top[b] = std::numeric_limits<int16_t>::min();
  for (int32_t t = 0; t < BLOCK; ++t) {
    const int32_t i = first + t * GROUP;
    Lanes16 row;
    row_sums(below, prefix_column, i, row);
    std::memcpy(sums + i, &row, sizeof row);
    top = top > row ? top : row;
    Lanes16 last;
    row_sums(sums, column, i, last);
    last_top = last_top > last ? last_top : last;
  }
  *prefix_top = greatest_lane(top);
  return greatest_lane(last_top);
#else
  int16_t top = std::numeric_limits<int16_t>::min(), last_top = top;
  for (int32_t i = first; i < first + SPAN; ++i) {
    sums[i] = static_cast<int16_t>(below[i] + prefix_column[i]);
    top = sums[i] > top ? sums[i] : top;
    const int16_t last = static_cast<int16_t>(sums[i] + column[i]);
    last_top = last > last_top ? last : last_top;
  }
  *prefix_top = top;
  return last_top;
#endif
}

// Where group g's greatest sum `most` of level k - 1 plus the last column
// is at least `best`: of its GridPoints of that sum, the one of lowest
// grid index becomes the winner when it beats the one so far.
SORVEL_VECTOR_KERNEL(void, take_greatest,
                     (const int16_t* __restrict sums, const int8_t* __restrict column,
                      const int32_t* __restrict original, int32_t g, int16_t most, int* best, int32_t* winner),
                     (sums, column, original, g, most, best, winner)) {
  const auto take = [&](int32_t at) {
    if (most > *best || original[at] < original[*winner]) {
      *best = most;
      *winner = at;
    }
  };
  const int32_t first = g * SPAN;
  for (int32_t t = 0; t < BLOCK; ++t) {
    const int32_t i = first + t * GROUP;
#if defined(__GNUC__) && defined(__SSE2__)
    // Which of the row's sixteen have it, as the bits of a mask.
    Lanes16 row;
    row_sums(sums, column, i, row);
    const Bytes16 marks = __builtin_convertvector(row == most, Bytes16);
    __m128i bytes;
    std::memcpy(&bytes, &marks, sizeof bytes);
    for (uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(bytes)); bits != 0; bits &= bits - 1)
      take(i + std::countr_zero(bits));
#else
    for (int32_t at = i; at < i + GROUP; ++at)
      if (static_cast<int16_t>(sums[at] + column[at]) == most) take(at);
#endif
  }
}

// Group g of the current subset, formed if need be (in the same pass)
// and summed whole, sixteen lanes at a time: that costs less than
// bounding its blocks one by one, or the group once more, whose branches
// the processor cannot foresee. Only where its greatest sum reaches
// `best` are its GridPoints of that sum looked at.
void scan_group(Worker& w, const SubsetSearchPlan& plan, const int8_t* column, int32_t g, int& reached,
                int& best, int32_t& winner) {
  int16_t* sums = level_sums(w, plan, plan.k - 1);
  int16_t most;
  if (w.formed[g] == w.generation) {
    most = greatest_group_sum(sums, column, g);
  } else {
    mark_formed(w, g);
    most = form_and_sum_group(level_sums(w, plan, plan.k - 2), w.last_prefix_column, sums, column, g,
                              &w.group_top[g]);
    // The group's greatest sum bounds it more tightly than the sum of the
    // two greatest it was bounded by, for the rest of this datum's subsets.
    w.coarse[g] = w.group_top[g];
  }
  if (most < best) return;
  take_greatest(sums, column, plan.original.data(), g, most, &best, &winner);
  if (best > reached) reached = best;
}

// Where the winners of subsets ending with the current datum of level
// k - 1 and j are remembered, and of those ending with the data of levels
// k - 2 and k - 1 and j.
std::size_t last_two_key(const Worker& w, const SubsetSearchPlan& plan, int32_t j) {
  const std::size_t n = static_cast<std::size_t>(plan.columns.n);
  return (static_cast<std::size_t>(w.level_datum[plan.k - 2]) * n + static_cast<std::size_t>(j)) &
         (REMEMBERED - 1);
}
std::size_t last_three_key(const Worker& w, const SubsetSearchPlan& plan, int32_t j) {
  const std::size_t n = static_cast<std::size_t>(plan.columns.n);
  const std::size_t before = plan.k >= 3 ? static_cast<std::size_t>(w.level_datum[plan.k - 3]) : 0;
  return ((before * n + static_cast<std::size_t>(w.level_datum[plan.k - 2])) * n +
          static_cast<std::size_t>(j)) &
         (REMEMBERED - 1);
}

// The greatest sum for the current subset, whose last datum is j, at the
// winners of earlier subsets most like it; `seed` is set to where.
int first_sum_to_beat(Worker& w, const SubsetSearchPlan& plan, int32_t j, int32_t& seed) {
  const int16_t* below = level_sums(w, plan, plan.k - 2);
  const int8_t* next_to_last = w.last_prefix_column;
  const int8_t* column = column_of(plan, j);
  const std::size_t last = static_cast<std::size_t>(j);
  const int32_t earlier[] = {w.previous_winner,
                             w.winner_by_last[last],
                             w.earlier_by_last[last],
                             w.by_last_two[last_two_key(w, plan, j)],
                             w.by_last_three[last_three_key(w, plan, j)],
                             w.recent[0],
                             w.recent[1],
                             w.recent[2],
                             w.recent[3]};
  int reached = std::numeric_limits<int>::min();
  for (int32_t at : earlier) {
    const int sum = below[at] + next_to_last[at] + column[at];
    if (sum > reached) {
      reached = sum;
      seed = at;
    }
  }
  return reached;
}

void remember_winner(Worker& w, const SubsetSearchPlan& plan, int32_t j, int32_t winner) {
  if (winner != w.previous_winner) {
    w.recent[w.next_recent] = w.previous_winner;
    w.next_recent = (w.next_recent + 1) % 4;
  }
  w.previous_winner = winner;
  const std::size_t last = static_cast<std::size_t>(j);
  if (winner != w.winner_by_last[last]) w.earlier_by_last[last] = w.winner_by_last[last];
  w.winner_by_last[last] = winner;
  w.by_last_two[last_two_key(w, plan, j)] = winner;
  w.by_last_three[last_three_key(w, plan, j)] = winner;
}

// The first GridPoint of greatest sum for the current subset, whose last
// datum is j. A group is summed only when its bounds reach
// `reached`, a sum that some GridPoint has: first the greatest sum at the
// winners of earlier subsets like this one, then the greatest sum of the
// group of the best of those, which is summed first, and so on as the
// other groups are summed in order. The groups are bounded sixteen at a
// time first, so that most are never looked at one by one. Among equal
// sums the lowest grid index wins whatever the order.
int32_t best_gridpoint(Worker& w, const SubsetSearchPlan& plan, int32_t j) {
  const int8_t* column = column_of(plan, j);
  const int8_t* group_max = plan.group_max.data() + static_cast<std::size_t>(j) * plan.group_stride;
  const int8_t* super_max = plan.super_max.data() + static_cast<std::size_t>(j) * plan.super_stride;
  // The GridPoint that gave the first sum to beat is the winner so far;
  // every GridPoint of that sum or more still gets looked at, so a lower
  // grid index of equal sum still wins.
  int32_t winner = 0;
  int reached = first_sum_to_beat(w, plan, j, winner);
  int best = reached;
  const int32_t promising = winner / SPAN;
  scan_group(w, plan, column, promising, reached, best, winner);
  // A group is bounded twice: by level k - 1's greatest sum in it (or a
  // bound of that) plus the last column's greatest score, and by level
  // k - 2's greatest sum plus the last two columns' greatest summed score.
  // Padding bounds lie below any sum, so they never reach `reached`.
  const int16_t* coarse = w.coarse.data();
  const int16_t* super_coarse = w.super_coarse.data();
  const int16_t* below_top = w.below_top.data();
  const int16_t* below_super_top = w.below_super_top.data();
  const std::size_t pair = pair_row(plan, w.level_datum[plan.k - 2], j);
  const int16_t* pair_groups = plan.pair_group_max.data() + pair * static_cast<std::size_t>(plan.group_stride);
  const int16_t* pair_supers = plan.pair_super_max.data() + pair * static_cast<std::size_t>(plan.super_stride);
  for (int32_t r = 0; r < plan.super_stride / 16; ++r)
    for (uint32_t supers = reaching_16(super_coarse + 16 * r, super_max + 16 * r, reached) &
                           reaching_pairs_16(below_super_top + 16 * r, pair_supers + 16 * r, reached);
         supers != 0; supers &= supers - 1) {
      const int32_t s = 16 * r + std::countr_zero(supers);
      if (super_coarse[s] + super_max[s] < reached) continue;
      for (uint32_t groups = reaching_16(coarse + 16 * s, group_max + 16 * s, reached) &
                             reaching_pairs_16(below_top + 16 * s, pair_groups + 16 * s, reached);
           groups != 0; groups &= groups - 1) {
        const int32_t g = 16 * s + std::countr_zero(groups);
        if (g == promising || coarse[g] + group_max[g] < reached || below_top[g] + pair_groups[g] < reached)
          continue;
        scan_group(w, plan, column, g, reached, best, winner);
      }
    }
  return winner;
}

void descend(Worker& w, const SubsetSearchPlan& plan, int m, int32_t start) {
  const int32_t n = plan.columns.n;
  const int k = plan.k;
  if (m < k) {
    for (int32_t j = start; j <= n - (k - m + 1); ++j) {
      set_level(w, plan, m, j);
      descend(w, plan, m + 1, j + 1);
    }
    return;
  }
  for (int32_t j = start; j < n; ++j) {
    const int32_t winner = best_gridpoint(w, plan, j);
    ++w.votes[static_cast<std::size_t>(winner)];
    remember_winner(w, plan, j, winner);
  }
}

// Marks task t done and reports every progress counter that all tasks up
// to the first one not done have passed.
void finish_task(SubsetSearchPlan& plan, std::size_t t, const WorkProgress& progress) {
  std::lock_guard<std::mutex> lock(plan.progress_mutex);
  plan.done[t] = 1;
  while (plan.frontier < plan.tasks.size() && plan.done[plan.frontier]) {
    int64_t begin = plan.frontier == 0 ? 0 : plan.tasks[plan.frontier - 1].end;
    int64_t end = plan.tasks[plan.frontier].end;
    for (int64_t c = (begin / VOTES_PER_PROGRESS_LINE + 1) * VOTES_PER_PROGRESS_LINE; c <= end;
         c += VOTES_PER_PROGRESS_LINE)
      progress(static_cast<int32_t>(c), static_cast<int32_t>(plan.tasks.back().end));
    ++plan.frontier;
  }
}

void work(SubsetSearchPlan& plan, Worker& w, std::atomic<std::size_t>& next,
          const WorkProgress& progress) {
  for (std::size_t t = next++; t < plan.tasks.size(); t = next++) {
    const Task& task = plan.tasks[t];
    // A thread mostly takes neighbouring tasks, which share their first
    // data: only the levels from the first change on are set again.
    int m = 1;
    while (m <= plan.depth && w.level_datum[m - 1] == task.first[m - 1]) ++m;
    for (; m <= plan.depth; ++m) set_level(w, plan, m, task.first[m - 1]);
    descend(w, plan, plan.depth + 1, task.first[plan.depth - 1] + 1);
    finish_task(plan, t, progress);
  }
}

// The columns laid out padded in their own storage: each padded column
// is longer than the caller's, so the last is moved first, and column j
// then covers only columns j and j + 1 of the caller's, both read by
// then. The reverse, first column first, puts them back.
void lay_out_in_place(SubsetSearchPlan& plan, const ScoreColumns& columns, std::size_t padded) {
  const std::size_t points = static_cast<std::size_t>(columns.points);
  std::vector<int8_t> column(padded);
  for (int32_t j = columns.n - 1; j >= 0; --j) {
    std::copy_n(columns.writable + static_cast<std::size_t>(j) * points, points, column.data());
    int8_t* to = columns.writable + static_cast<std::size_t>(j) * padded;
    for (std::size_t q = 0; q < padded; ++q)
      to[q] = plan.original[q] < 0 ? PADDING_SCORE : column[static_cast<std::size_t>(plan.original[q])];
  }
  plan.given = columns;
  plan.columns = ScoreColumns{columns.writable, static_cast<int32_t>(padded), columns.n};
}

void put_back_in_place(const SubsetSearchPlan& plan) {
  const std::size_t points = static_cast<std::size_t>(plan.given.points);
  const std::size_t padded = static_cast<std::size_t>(plan.columns.points);
  std::vector<int8_t> column(padded);
  for (int32_t j = 0; j < plan.given.n; ++j) {
    std::copy_n(plan.given.writable + static_cast<std::size_t>(j) * padded, padded, column.data());
    int8_t* to = plan.given.writable + static_cast<std::size_t>(j) * points;
    for (std::size_t q = 0; q < padded; ++q)
      if (plan.original[q] >= 0) to[plan.original[q]] = column[q];
  }
}

// The columns in `order` (the grid's when empty), padded and interleaved.
void reorder_columns(SubsetSearchPlan& plan, const ScoreColumns& columns,
                     const std::vector<int32_t>& order, int threads) {
  const int32_t groups = (columns.points + SPAN - 1) / SPAN;
  const std::size_t padded = static_cast<std::size_t>(groups) * SPAN;
  plan.original.assign(padded, -1);
  for (int32_t p = 0; p < columns.points; ++p) {
    // Position p of the order: block p / BLOCK of its group, place p % BLOCK.
    const int32_t g = p / SPAN, b = p % SPAN / BLOCK, t = p % BLOCK;
    plan.original[static_cast<std::size_t>(g * SPAN + t * GROUP + b)] =
        order.empty() ? p : order[static_cast<std::size_t>(p)];
  }
  const std::size_t n = static_cast<std::size_t>(columns.n);
  if (columns.writable != nullptr && columns.room >= n * padded) {
    lay_out_in_place(plan, columns, padded);
    return;
  }
  plan.reordered.resize(n * padded);
  parallel_for(columns.n, threads, [&](int32_t j) {
    const int8_t* from = columns.scores + static_cast<std::size_t>(j) * columns.points;
    int8_t* to = plan.reordered.data() + static_cast<std::size_t>(j) * padded;
    for (std::size_t q = 0; q < padded; ++q)
      to[q] = plan.original[q] < 0 ? PADDING_SCORE : from[plan.original[q]];
  });
  plan.columns = ScoreColumns{plan.reordered.data(), static_cast<int32_t>(padded), columns.n};
}

// The blocks, groups and sixteens of groups of the reordered columns,
// with room for each column's greatest scores in them.
void size_bounds(SubsetSearchPlan& plan) {
  const std::size_t n = static_cast<std::size_t>(plan.columns.n);
  plan.blocks = plan.columns.points / BLOCK;
  plan.groups = plan.columns.points / SPAN;
  plan.group_stride = (plan.groups + 15) / 16 * 16;
  plan.supers = plan.group_stride / 16;
  plan.super_stride = (plan.supers + 15) / 16 * 16;
  plan.block_max.resize(n * static_cast<std::size_t>(plan.blocks));
  plan.group_max.assign(n * static_cast<std::size_t>(plan.group_stride), PADDING_SCORE);
  plan.super_max.assign(n * static_cast<std::size_t>(plan.super_stride), PADDING_SCORE);
}

// A worker's votes, partial sums, bounds and remembered winners.
void prepare_worker(Worker& w, const SubsetSearchPlan& plan) {
  const std::size_t points = static_cast<std::size_t>(plan.columns.points);
  const std::size_t n = static_cast<std::size_t>(plan.columns.n);
  w.votes.assign(points, 0);
  w.sums.assign(static_cast<std::size_t>(plan.k - 1) * points, 0);
  w.zeros.assign(points, 0);
  // For k = 2 level k - 2 is level 0, whose sums and greatest sums are 0.
  w.below_top.assign(static_cast<std::size_t>(plan.group_stride), LEAST_BOUND);
  std::fill_n(w.below_top.begin(), plan.groups, 0);
  w.below_super_top.assign(static_cast<std::size_t>(plan.super_stride), LEAST_BOUND);
  std::fill_n(w.below_super_top.begin(), plan.supers, 0);
  w.below_block_top.assign(static_cast<std::size_t>(plan.blocks), 0);
  w.coarse.assign(static_cast<std::size_t>(plan.group_stride), LEAST_BOUND);
  w.super_coarse.assign(static_cast<std::size_t>(plan.super_stride), LEAST_BOUND);
  w.group_top.assign(static_cast<std::size_t>(plan.groups), 0);
  w.formed.assign(static_cast<std::size_t>(plan.groups), 0);
  w.winner_by_last.assign(n, 0);
  w.earlier_by_last.assign(n, 0);
  w.by_last_two.assign(REMEMBERED, 0);
  w.by_last_three.assign(REMEMBERED, 0);
}

}  // namespace

SubsetSearchPlanPtr plan_subset_search(const ScoreColumns& given, int k, int threads,
                                       const std::vector<int32_t>& order) {
  try {
    SubsetSearchPlanPtr plan(new SubsetSearchPlan);
    reorder_columns(*plan, given, order, threads);
    plan->k = k;
    plan->depth = task_depth(plan->columns.n, k);
    size_bounds(*plan);
    if (plan->columns.n >= k) list_tasks(*plan);
    plan->done.assign(plan->tasks.size(), 0);
    int usable = threads < 1 ? 1 : threads;
    if (static_cast<std::size_t>(usable) > plan->tasks.size() && !plan->tasks.empty())
      usable = static_cast<int>(plan->tasks.size());
    plan->workers.resize(static_cast<std::size_t>(usable));
    for (Worker& w : plan->workers) prepare_worker(w, *plan);
    find_column_maxima(*plan, usable);
    find_pair_maxima(*plan, usable);
    return plan;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void run_subset_search(SubsetSearchPlan& plan, int32_t* votes, const WorkProgress& progress) {
  if (plan.k < 2 || plan.k > MAX_K) return;  // no subset of such a size is searched
  std::atomic<std::size_t> next{0};
  run_on_threads(static_cast<int>(plan.workers.size()), [&](int slot) {
    work(plan, plan.workers[static_cast<std::size_t>(slot)], next, progress);
  });
  for (const Worker& w : plan.workers)
    for (std::size_t q = 0; q < plan.original.size(); ++q)
      if (plan.original[q] >= 0) votes[plan.original[q]] += w.votes[q];
}

void SubsetSearchPlanDeleter::operator()(SubsetSearchPlan* plan) const {
  if (plan->given.writable != nullptr) put_back_in_place(*plan);
  delete plan;
}
