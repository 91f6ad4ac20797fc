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

std::vector<int32_t> sort_gridpoints(const GridValues& fitness) {
  const std::size_t n = fitness.size();
  if (n == 0) return {};
  // In a large block: its 116 pages would each cost a fault.
  std::vector<uint64_t, LargeBlockAllocator<uint64_t>> ranked(n);
  for (std::size_t k = 0; k < n; ++k) ranked[k] = ranked_word(fitness[k], static_cast<int32_t>(k));
  std::size_t h = 1;
  while (h <= n) h = 3 * h + 1;
  do {
    h /= 3;
    insertion_pass(ranked.data(), n, h);
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
