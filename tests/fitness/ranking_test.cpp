#include "fitness/ranking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/state.h"

namespace {

// Each record is marked by its starting position in euler_psi, so that
// the order of equal fitness can be followed.
void fill(int32_t (*fitness_of)(int32_t)) {
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    gss[k] = GridPoint();
    gss[k].euler_psi = static_cast<float>(k);
    gss[k].fitness = fitness_of(k);
  }
}

// The same gapped insertion written independently, over indices only.
std::vector<int32_t> reference_order(const std::vector<int32_t>& fitness) {
  std::vector<int32_t> order(fitness.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
  const int gaps[] = {29524, 9841, 3280, 1093, 364, 121, 40, 13, 4, 1};
  for (int h : gaps) {
    for (size_t i = static_cast<size_t>(h); i < order.size(); ++i) {
      int32_t t = order[i];
      size_t j = i;
      while (j >= static_cast<size_t>(h) && fitness[order[j - h]] > fitness[t]) {
        order[j] = order[j - h];
        j -= h;
      }
      order[j] = t;
    }
  }
  return order;
}

TEST(RankingTest, AscendingWithTheShellSortOrderOfTies) {
  auto fitness_of = [](int32_t k) { return static_cast<int32_t>((k * 2654435761u) >> 28) - 8; };
  fill(fitness_of);
  std::vector<int32_t> fitness(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) fitness[k] = fitness_of(k);
  std::vector<int32_t> expected = reference_order(fitness);
  sort_gridpoints();
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    ASSERT_EQ(static_cast<int32_t>(gss[k].euler_psi), expected[k]) << k;
    if (k > 0) {
      ASSERT_LE(gss[k - 1].fitness, gss[k].fitness);
    }
  }
  // The order of ties is not the stable one.
  std::vector<int32_t> stable(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) stable[k] = k;
  std::stable_sort(stable.begin(), stable.end(),
                   [&](int32_t a, int32_t b) { return fitness[a] < fitness[b]; });
  EXPECT_NE(stable, expected);
}

TEST(RankingTest, EqualOrAscendingFitnessMovesNothing) {
  fill([](int32_t) { return 42; });
  sort_gridpoints();
  for (int32_t k = 0; k < GSS_SIZE; ++k) ASSERT_EQ(gss[k].euler_psi, static_cast<float>(k));
  shift_fitness();
  for (int32_t k = 0; k < GSS_SIZE; ++k) ASSERT_EQ(gss[k].fitness, 0);
  fill([](int32_t k) { return k / 3; });
  sort_gridpoints();
  for (int32_t k = 0; k < GSS_SIZE; ++k) ASSERT_EQ(gss[k].euler_psi, static_cast<float>(k));
}

TEST(RankingTest, NegativeFitnessSortsFirstAndShiftsToZero) {
  fill([](int32_t k) { return k % 2 == 0 ? 500 - k : -(k % 977); });
  sort_gridpoints();
  shift_fitness();
  EXPECT_EQ(gss[0].fitness, 0);
  for (int32_t k = 1; k < GSS_SIZE; ++k) ASSERT_LE(gss[k - 1].fitness, gss[k].fitness);
  EXPECT_EQ(gss[GSS_SIZE - 1].fitness, 500 - (500 - 59398));  // highest minus lowest raw
}

}  // namespace
