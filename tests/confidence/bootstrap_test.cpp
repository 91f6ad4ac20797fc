// The bootstrap over the score table: the generator is SplitMix64 as
// published, every datum is drawn as often as chance says, and both the
// bounded search and the full sum give each resample the best state that
// summing every state's scores one by one gives, whatever the thread
// count and the order of the states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "confidence/bootstrap.h"

namespace {

TEST(BootstrapDraws, SplitMix64GivesThePublishedOutputs) {
  // The first outputs of the reference splitmix64.c seeded with 0.
  uint64_t state = 0;
  EXPECT_EQ(splitmix64_next(state), 0xE220A8397B1DCDAFULL);
  EXPECT_EQ(splitmix64_next(state), 0x6E789E6AA1B965F4ULL);
  EXPECT_EQ(splitmix64_next(state), 0x06C45D188009454FULL);
  // Resample b starts from output b + 1 of the generator of the seed, so
  // resample 2 of seed 0 starts from the third output above.
  EXPECT_EQ(resample_stream_start(0, 2), 0x06C45D188009454FULL);
  // A draw takes the upper 32 bits as a fraction of n.
  EXPECT_EQ(draw_index(0xE220A8397B1DCDAFULL, 10), 8);  // 0xE220A839 / 2^32 = 0.883
  EXPECT_EQ(draw_index(0xFFFFFFFFFFFFFFFFULL, 7), 6);
  EXPECT_EQ(draw_index(0, 7), 0);
}

// Drawing with replacement: over many resamples every datum is drawn about
// equally often, and a datum is left out of a resample with probability
// (1 - 1/n)^n.
TEST(BootstrapDraws, EveryDatumIsDrawnAsOftenAsChanceSays) {
  const int32_t n = 50, resamples = 4000;
  std::vector<uint16_t> counts(n);
  std::vector<double> drawn(n, 0.0);
  long left_out = 0;
  for (int32_t b = 0; b < resamples; ++b) {
    resample_counts(12345, b, n, counts.data());
    long total = 0;
    for (int32_t j = 0; j < n; ++j) {
      drawn[j] += counts[j];
      total += counts[j];
      left_out += counts[j] == 0;
    }
    ASSERT_EQ(total, n);
  }
  double chi_square = 0.0;
  for (double d : drawn) chi_square += (d - resamples) * (d - resamples) / resamples;
  EXPECT_LT(chi_square, 90.0);  // 49 degrees of freedom: exceeded once in 3000 runs
  double expected = std::pow(1.0 - 1.0 / n, n) * n * resamples;
  EXPECT_NEAR(left_out, expected, 4.0 * std::sqrt(expected));
}

// The best state of each resample from every state's sum formed one by
// one, the first of the greatest.
ResampleBest direct_winner(const std::vector<int8_t>& table, int32_t points, int32_t columns,
                           const std::vector<uint16_t>& counts) {
  ResampleBest top{-1, 0};
  for (int32_t k = 0; k < points; ++k) {
    int32_t sum = 0;
    for (int32_t j = 0; j < columns; ++j) sum += counts[j] * table[static_cast<std::size_t>(j) * points + k];
    if (top.index < 0 || sum > top.sum) top = {k, sum};
  }
  return top;
}

std::vector<ResampleBest> direct_best(const std::vector<int8_t>& table, int32_t points,
                                      int32_t columns, int32_t resamples, uint64_t seed) {
  std::vector<ResampleBest> best;
  std::vector<uint16_t> counts(columns);
  for (int32_t b = 0; b < resamples; ++b) {
    resample_counts(seed, b, columns, counts.data());
    best.push_back(direct_winner(table, points, columns, counts));
  }
  return best;
}

// Both searches, on 1, 2 and 3 threads, against the direct sums; the
// table is as it was afterwards. `tally`, when given, gets the bounded
// search's.
void expect_direct_sums(std::vector<int8_t>& table, int32_t points, int32_t columns,
                        int32_t resamples, uint64_t seed, const std::vector<int32_t>& order = {},
                        ResampleTally* tally = nullptr) {
  const std::vector<ResampleBest> want = direct_best(table, points, columns, resamples, seed);
  const std::vector<int8_t> before = table;
  for (bool reference : {true, false})
    for (int threads : {1, 2, 3}) {
      int32_t reported = 0;
      BootstrapResult got = bootstrap_best_states({table.data(), points, columns},
                                                  {resamples, seed, threads, reference},
                                                  [&](int32_t done, int32_t total) {
                                                    EXPECT_GT(done, reported);
                                                    EXPECT_EQ(total, resamples);
                                                    reported = done;
                                                  },
                                                  order);
      ASSERT_EQ(got.error, "");
      ASSERT_EQ(got.best.size(), want.size());
      EXPECT_EQ(reported, resamples);
      EXPECT_TRUE(table == before) << "threads " << threads;
      for (size_t b = 0; b < want.size(); ++b) {
        EXPECT_EQ(got.best[b].index, want[b].index)
            << "resample " << b << ", threads " << threads << ", reference " << reference;
        EXPECT_EQ(got.best[b].sum, want[b].sum)
            << "resample " << b << ", threads " << threads << ", reference " << reference;
      }
      if (!reference && tally != nullptr) *tally = got.tally;
    }
}

// Three score values only: many states tie, and the lowest index must
// win, also when the search takes the states in another order.
TEST(BootstrapSums, TiesGoToTheLowestIndexOverTheWholeGrid) {
  const int32_t points = 59400, columns = 7;
  std::mt19937 random(3);
  std::vector<int8_t> table(static_cast<std::size_t>(points) * columns);
  for (int8_t& s : table) s = static_cast<int8_t>(100 * (static_cast<int>(random() % 3) - 1));
  ResampleTally tally;
  expect_direct_sums(table, points, columns, 150, 99, {}, &tally);
  EXPECT_EQ(tally.resamples_batched, 150);  // no state stands out: summed together
  std::vector<int32_t> order(points);
  for (int32_t p = 0; p < points; ++p) order[p] = points - 1 - p;
  std::shuffle(order.begin() + 1000, order.end(), random);
  expect_direct_sums(table, points, columns, 60, 98, order);
}

// Many data at the extreme scores: the sums leave 16 bits and must be
// carried into 32 without loss.
TEST(BootstrapSums, LargeSumsOfManyDataAreExact) {
  const int32_t points = 1000, columns = 900;  // a grid that no block size divides
  std::mt19937 random(4);
  std::vector<int8_t> table(static_cast<std::size_t>(points) * columns);
  for (size_t i = 0; i < table.size(); ++i)
    table[i] = static_cast<int8_t>(i % points < 500 ? 127 - static_cast<int>(random() % 3) : -127);
  expect_direct_sums(table, points, columns, 40, 5);
}

// States along a line, shuffled in the table and put back in line by the
// order, as the grid's states are by their stress: each datum scores best
// near a place of its own, the places clustered, and the scores come in
// steps of 10, so that most resamples have near ties and many exact
// ties, some between states far apart in the table. The bounds must
// prune, and every winner must be the full sum's.
TEST(BootstrapSums, BoundedSearchFindsTheFullSumsWinnerAmongTiesAndNearTies) {
  const int32_t points = 20003, columns = 60;  // no whole number of blocks
  std::mt19937 random(8);
  std::vector<int32_t> order(points);
  for (int32_t p = 0; p < points; ++p) order[p] = p;
  std::shuffle(order.begin(), order.end(), random);
  std::normal_distribution<double> place(0.5 * points, 0.02 * points);
  std::vector<int8_t> table(static_cast<std::size_t>(points) * columns);
  for (int32_t j = 0; j < columns; ++j) {
    // Two data of every three near one place, the others near another.
    const double centre = j % 3 ? place(random) : place(random) - 0.2 * points;
    for (int32_t p = 0; p < points; ++p) {
      const double score = 100.0 - 200.0 * std::abs(p - centre) / points * 4.0;
      const int step = static_cast<int>(std::lround(std::max(score, -100.0) / 10.0)) * 10;
      table[static_cast<std::size_t>(j) * points + order[p]] = static_cast<int8_t>(step);
    }
  }
  ResampleTally tally;
  expect_direct_sums(table, points, columns, 130, 17, order, &tally);
  EXPECT_EQ(tally.resamples, 130);
  EXPECT_GT(tally.resamples_pruned, 100);
  EXPECT_LT(tally.states_summed, tally.states_seen / 4);
}

// The search called as the bootstrap calls it, on multiplicities that no
// draw of n data would give: data drawn hundreds of times, more than 16
// bits of partial sums hold at once, neighbours whose counts together
// pass a byte, beside data drawn once. The first
// data have a sharp peak, which the resamples that draw only them find
// by bounds; the rest score at random in steps, each state with a twin
// far from it in the table, and the resamples that draw them are summed
// together, more of them than one batch. Every winner must be the direct
// sums', the lowest grid index among equals although the search takes
// the states in another order.
TEST(BootstrapSums, ResamplesSummedTogetherOrAloneFindTheDirectSumsWinner) {
  const int32_t points = 5037, columns = 300, peaked = 12, resamples = 150;
  std::mt19937 random(21);
  std::vector<int32_t> order(points);
  for (int32_t p = 0; p < points; ++p) order[p] = p;
  std::shuffle(order.begin(), order.end(), random);
  // The random scores of state k and k + 2500 are the same: twins that
  // tie in every resample, in either order in the search.
  const int32_t twins = 2500;
  std::vector<int8_t> table(static_cast<std::size_t>(points) * columns);
  for (int32_t j = 0; j < columns; ++j) {
    int8_t* column = table.data() + static_cast<std::size_t>(j) * points;
    for (int32_t p = 0; p < points; ++p)
      column[order[p]] = static_cast<int8_t>(std::max(127 - 4 * std::abs(p - 3000 - 7 * j), -128));
    if (j < peaked) continue;
    for (int32_t k = 0; k < points; ++k)
      column[k] = k < twins ? static_cast<int8_t>(static_cast<int>(random() % 5) * 60 - 120) : column[k - twins];
  }
  std::vector<std::vector<uint16_t>> counts(resamples, std::vector<uint16_t>(columns, 0));
  for (int32_t r = 0; r < resamples; ++r) {
    const int32_t from = r % 5 == 0 ? 0 : peaked, to = r % 5 == 0 ? peaked : columns;
    for (int32_t j = from; j < to; ++j) {
      const uint32_t draw = random() % 100;
      counts[r][j] = static_cast<uint16_t>(draw < 40 ? 0 : draw < 75 ? 1 : draw < 93 ? 1 + draw % 4
                                            : draw < 97 ? 130 + random() % 126 : 200 + random() % 900);
    }
  }
  std::vector<ResampleBest> want;
  for (const std::vector<uint16_t>& c : counts) want.push_back(direct_winner(table, points, columns, c));
  const std::vector<int8_t> before = table;
  std::vector<const uint16_t*> pointers;
  for (const std::vector<uint16_t>& c : counts) pointers.push_back(c.data());
  const std::vector<int32_t> seeds = {17, order[3040], 17};  // one in the peak
  for (int threads : {1, 2, 3}) {
    std::vector<ResampleBest> got(resamples);
    ResampleTally tally;
    {
      ResampleSearchPlanPtr plan = plan_resample_search({table.data(), points, columns}, order, threads);
      ASSERT_NE(plan, nullptr);
      best_states_of_resamples(*plan, pointers, seeds, threads, got.data(), tally);
    }
    EXPECT_TRUE(table == before) << "threads " << threads;
    EXPECT_EQ(tally.resamples, resamples);
    EXPECT_GT(tally.resamples_batched, 64) << "threads " << threads;
    EXPECT_LE(tally.resamples_batched, resamples - resamples / 5) << "threads " << threads;
    for (int32_t r = 0; r < resamples; ++r) {
      EXPECT_EQ(got[r].index, want[r].index) << "resample " << r << ", threads " << threads;
      EXPECT_EQ(got[r].sum, want[r].sum) << "resample " << r << ", threads " << threads;
    }
  }
}

TEST(BootstrapSums, BadRequestsComeBackAsErrors) {
  std::vector<int8_t> table(10, 1);
  EXPECT_NE(bootstrap_best_states({table.data(), 10, 1}, {-1, 1, 1}, nullptr).error, "");
  EXPECT_NE(bootstrap_best_states({table.data(), 10, 0}, {10, 1, 1}, nullptr).error, "");
  EXPECT_TRUE(bootstrap_best_states({table.data(), 10, 1}, {0, 1, 1}, nullptr).best.empty());
  const std::vector<int32_t> short_order = {0, 1, 2};
  EXPECT_NE(bootstrap_best_states({table.data(), 10, 1}, {5, 1, 1}, nullptr, short_order).error, "");
}

}  // namespace
