#include "fitness/ranking.h"

// A grid index with its fitness beside it, so that the sort compares
// without looking the fitness up.
struct Ranked {
  int32_t fitness;
  int32_t index;
};

std::vector<int32_t> sort_gridpoints(const GridValues& fitness) {
  const int32_t n = static_cast<int32_t>(fitness.size());
  std::vector<Ranked> ranked(fitness.size());
  for (int32_t k = 0; k < n; ++k) ranked[static_cast<std::size_t>(k)] = {fitness[static_cast<std::size_t>(k)], k};
  Ranked* a = ranked.data();
  int32_t h = 1;
  while (h <= n) h = 3 * h + 1;
  do {
    h /= 3;
    // Positions are 1-based in the loop bounds, as the gaps are defined.
    for (int32_t i = h + 1; i <= n; ++i) {
      Ranked t = a[i - 1];
      int32_t j = i;
      while (j > h && a[j - h - 1].fitness > t.fitness) {
        a[j - 1] = a[j - h - 1];
        j -= h;
      }
      a[j - 1] = t;
    }
  } while (h != 1);
  std::vector<int32_t> order(fitness.size());
  for (int32_t k = 0; k < n; ++k) order[static_cast<std::size_t>(k)] = a[k].index;
  return order;
}

GridValues shift_fitness(const GridValues& fitness, const std::vector<int32_t>& order) {
  GridValues shifted(fitness);
  if (order.empty()) return shifted;
  const int32_t lowest = fitness[static_cast<std::size_t>(order[0])];
  for (int32_t& value : shifted) value -= lowest;
  return shifted;
}
