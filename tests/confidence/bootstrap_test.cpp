// The bootstrap over the score table: the generator is SplitMix64 as
// published, every datum is drawn as often as chance says, and the fast
// sums give each resample the best state that summing every state's
// scores one by one gives, whatever the thread count.
#include <gtest/gtest.h>

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
std::vector<ResampleBest> direct_best(const std::vector<int8_t>& table, int32_t points,
                                      int32_t columns, int32_t resamples, uint64_t seed) {
  std::vector<ResampleBest> best;
  std::vector<uint16_t> counts(columns);
  for (int32_t b = 0; b < resamples; ++b) {
    resample_counts(seed, b, columns, counts.data());
    ResampleBest top{-1, 0};
    for (int32_t k = 0; k < points; ++k) {
      int32_t sum = 0;
      for (int32_t j = 0; j < columns; ++j) sum += counts[j] * table[static_cast<std::size_t>(j) * points + k];
      if (top.index < 0 || sum > top.sum) top = {k, sum};
    }
    best.push_back(top);
  }
  return best;
}

void expect_direct_sums(const std::vector<int8_t>& table, int32_t points, int32_t columns,
                        int32_t resamples, uint64_t seed) {
  std::vector<ResampleBest> want = direct_best(table, points, columns, resamples, seed);
  for (int threads : {1, 2, 3}) {
    int32_t reported = 0;
    BootstrapResult got = bootstrap_best_states({table.data(), points, columns},
                                                {resamples, seed, threads},
                                                [&](int32_t done, int32_t total) {
                                                  EXPECT_GT(done, reported);
                                                  EXPECT_EQ(total, resamples);
                                                  reported = done;
                                                });
    ASSERT_EQ(got.error, "");
    ASSERT_EQ(got.best.size(), want.size());
    EXPECT_EQ(reported, resamples);
    for (size_t b = 0; b < want.size(); ++b) {
      EXPECT_EQ(got.best[b].index, want[b].index) << "resample " << b << ", threads " << threads;
      EXPECT_EQ(got.best[b].sum, want[b].sum) << "resample " << b << ", threads " << threads;
    }
  }
}

// Three score values only: many states tie, and the lowest index must win.
TEST(BootstrapSums, TiesGoToTheLowestIndexOverTheWholeGrid) {
  const int32_t points = 59400, columns = 7;
  std::mt19937 random(3);
  std::vector<int8_t> table(static_cast<std::size_t>(points) * columns);
  for (int8_t& s : table) s = static_cast<int8_t>(100 * (static_cast<int>(random() % 3) - 1));
  expect_direct_sums(table, points, columns, 150, 99);
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

TEST(BootstrapSums, BadRequestsComeBackAsErrors) {
  std::vector<int8_t> table(10, 1);
  EXPECT_NE(bootstrap_best_states({table.data(), 10, 1}, {-1, 1, 1}, nullptr).error, "");
  EXPECT_NE(bootstrap_best_states({table.data(), 10, 0}, {10, 1, 1}, nullptr).error, "");
  EXPECT_TRUE(bootstrap_best_states({table.data(), 10, 1}, {0, 1, 1}, nullptr).best.empty());
}

}  // namespace
