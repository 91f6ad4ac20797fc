#include "fitness/ranking.h"

#include "platform/large_blocks.h"

// A grid index with its fitness above it in one 64-bit word: the fitness,
// its sign bit flipped, in the upper half, so that words compare as their
// fitness where the upper halves differ. A word w has greater fitness than
// t exactly when w > (t with every lower bit set), one comparison of whole
// words that the insertion loop makes without unpacking.
static uint64_t ranked_word(int32_t fitness, int32_t index) {
  return static_cast<uint64_t>(static_cast<uint32_t>(fitness) ^ 0x80000000u) << 32 |
         static_cast<uint32_t>(index);
}

// One gapped insertion pass: each run of positions h apart sorted by
// insertion, an element passing only those of strictly greater fitness.
static void insertion_pass(uint64_t* a, std::size_t n, std::size_t h) {
  for (std::size_t i = h; i < n; ++i) {
    const uint64_t t = a[i];
    const uint64_t above = t | 0xffffffffu;
    if (a[i - h] <= above) continue;
    std::size_t j = i;
    do {
      a[j] = a[j - h];
      j -= h;
    } while (j >= h && a[j - h] > above);
    a[j] = t;
  }
}

// The fitness of the words, as the whole numbers 0 .. range - 1 above the
// least.
struct KeyRange {
  uint32_t least;  // upper half of the word of least fitness
  uint64_t range;
};

static uint32_t key_of(uint64_t word, const KeyRange& keys) {
  return static_cast<uint32_t>(word >> 32) - keys.least;
}

// The same pass by counting: an insertion moves an element past greater
// ones only, so it sorts each run of positions h apart stably by fitness,
// and so does a counting sort of the run, without the mispredicted
// branches of the insertions.
static void counting_pass(uint64_t* a, std::size_t n, std::size_t h, const KeyRange& keys,
                          std::vector<uint32_t>& counts, uint64_t* run) {
  for (std::size_t r = 0; r < h && r < n; ++r) {
    counts.assign(static_cast<std::size_t>(keys.range), 0);
    for (std::size_t i = r; i < n; i += h) ++counts[key_of(a[i], keys)];
    uint32_t start = 0;
    for (uint32_t& count : counts) {
      const uint32_t here = count;
      count = start;
      start += here;
    }
    for (std::size_t i = r; i < n; i += h) run[counts[key_of(a[i], keys)]++] = a[i];
    std::size_t t = 0;
    for (std::size_t i = r; i < n; i += h) a[i] = run[t++];
  }
}

// Counting pays where the runs are long and the fitness takes few values:
// a sum of few scores.
static bool counting_pays(std::size_t n, std::size_t h, const KeyRange& keys) {
  return keys.range <= 4096 && h * keys.range <= 4 * n && 8 * h <= n;
}

std::vector<int32_t> sort_gridpoints(const GridValues& fitness) {
  const std::size_t n = fitness.size();
  if (n == 0) return {};
  // In a large block: its 116 pages would each cost a fault.
  std::vector<uint64_t, LargeBlockAllocator<uint64_t>> ranked(n);
  for (std::size_t k = 0; k < n; ++k) ranked[k] = ranked_word(fitness[k], static_cast<int32_t>(k));
  uint32_t least = static_cast<uint32_t>(ranked[0] >> 32), most = least;
  for (uint64_t word : ranked) {
    const uint32_t upper = static_cast<uint32_t>(word >> 32);
    least = upper < least ? upper : least;
    most = upper > most ? upper : most;
  }
  const KeyRange keys = {least, static_cast<uint64_t>(most - least) + 1};
  std::vector<uint32_t> counts;
  std::vector<uint64_t, LargeBlockAllocator<uint64_t>> run;  // as `ranked`
  std::size_t h = 1;
  while (h <= n) h = 3 * h + 1;
  do {
    h /= 3;
    if (counting_pays(n, h, keys)) {
      if (run.empty()) run.resize(n);
      counting_pass(ranked.data(), n, h, keys, counts, run.data());
    } else {
      insertion_pass(ranked.data(), n, h);
    }
  } while (h != 1);
  std::vector<int32_t> order(n);
  for (std::size_t k = 0; k < n; ++k) order[k] = static_cast<int32_t>(static_cast<uint32_t>(ranked[k]));
  return order;
}

int32_t lowest_fitness(const GridValues& fitness, const std::vector<int32_t>& order) {
  return order.empty() ? 0 : fitness[static_cast<std::size_t>(order[0])];
}

GridValues shift_fitness(const GridValues& fitness, const std::vector<int32_t>& order) {
  GridValues shifted(fitness);
  const int32_t lowest = lowest_fitness(fitness, order);
  for (int32_t& value : shifted) value -= lowest;
  return shifted;
}
