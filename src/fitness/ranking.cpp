#include "fitness/ranking.h"

#include "common/state.h"

void sort_gridpoints() {
  int32_t h = 1;
  while (h <= GSS_SIZE) h = 3 * h + 1;
  do {
    h /= 3;
    // Positions are 1-based in the loop bounds, as the gaps are defined.
    for (int32_t i = h + 1; i <= GSS_SIZE; ++i) {
      GridPoint t = gss[i - 1];
      int32_t j = i;
      while (j > h && gss[j - h - 1].fitness > t.fitness) {
        gss[j - 1] = gss[j - h - 1];
        j -= h;
      }
      gss[j - 1] = t;
    }
  } while (h != 1);
}

void shift_fitness() {
  int32_t lowest = gss[0].fitness;
  for (int32_t k = 0; k < GSS_SIZE; ++k) gss[k].fitness -= lowest;
}
