#include "fitness/ranking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

namespace {

GridValues fill(int32_t (*fitness_of)(int32_t)) {
  GridValues fitness(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) fitness[k] = fitness_of(k);
  return fitness;
}

std::vector<int32_t> identity() {
  std::vector<int32_t> order(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) order[k] = k;
  return order;
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
  GridValues fitness = fill(fitness_of);
  const GridValues unsorted = fitness;
  std::vector<int32_t> expected = reference_order(fitness);
  std::vector<int32_t> order = sort_gridpoints(fitness);
  EXPECT_EQ(fitness, unsorted) << "the fitness stays in grid order";
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    ASSERT_EQ(order[k], expected[k]) << k;
    if (k > 0) {
      ASSERT_LE(fitness[order[k - 1]], fitness[order[k]]);
    }
  }
  // The order of ties is not the stable one.
  std::vector<int32_t> stable(GSS_SIZE);
  for (int32_t k = 0; k < GSS_SIZE; ++k) stable[k] = k;
  std::stable_sort(stable.begin(), stable.end(),
                   [&](int32_t a, int32_t b) { return fitness[a] < fitness[b]; });
  EXPECT_NE(stable, expected);
}

// The sort compares packed words, and counts where the fitness takes few
// values: fitness of every sign and size, from a score range as one datum
// gives to the extremes of 32 bits, must still come out in the gapped
// insertion's order.
TEST(RankingTest, TheShellSortOrderForAnyRangeOfFitness) {
  std::mt19937 random(11);
  for (uint32_t range : {2u, 201u, 3001u, 40001u, 0u}) {
    GridValues fitness(GSS_SIZE);
    for (int32_t& f : fitness)
      f = range == 0 ? static_cast<int32_t>(random()) : static_cast<int32_t>(random() % range) - 100;
    if (range == 0) {
      fitness[17] = INT32_MIN;
      fitness[18] = INT32_MAX;
      fitness[19] = -1;
      fitness[20] = 0;
    }
    ASSERT_EQ(sort_gridpoints(fitness), reference_order(fitness)) << range;
  }
}

TEST(RankingTest, EqualOrAscendingFitnessMovesNothing) {
  GridValues fitness = fill([](int32_t) { return 42; });
  std::vector<int32_t> order = sort_gridpoints(fitness);
  EXPECT_EQ(order, identity());
  EXPECT_EQ(shift_fitness(fitness, order), GridValues(GSS_SIZE, 0));
  EXPECT_EQ(sort_gridpoints(fill([](int32_t k) { return k / 3; })), identity());
}

TEST(RankingTest, NegativeFitnessSortsFirstAndShiftsToZero) {
  GridValues fitness = fill([](int32_t k) { return k % 2 == 0 ? 500 - k : -(k % 977); });
  std::vector<int32_t> order = sort_gridpoints(fitness);
  GridValues shifted = shift_fitness(fitness, order);
  EXPECT_EQ(shifted[order[0]], 0);
  for (int32_t k = 1; k < GSS_SIZE; ++k) ASSERT_LE(shifted[order[k - 1]], shifted[order[k]]);
  EXPECT_EQ(shifted[order[GSS_SIZE - 1]], 500 - (500 - 59398));  // highest minus lowest raw
}

}  // namespace
