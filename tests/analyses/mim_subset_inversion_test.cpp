// The subset search: the enumeration order, the votes against a direct
// search over every subset, the tie-break and the progress lines.
#include "analyses/mim/subset_inversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analyses/mim/bounded_search.h"
#include "grid/built_in_tables.h"
#include "grid/stress_order.h"
#include "support/grid_fixture.h"

#include <string_view>
#include <cstring>
#include <functional>
#include <random>
#include <vector>


namespace {

using Subset = std::vector<int32_t>;

std::vector<Subset> enumerate(int k, int32_t n) {
  std::vector<Subset> subsets;
  int32_t j[MAX_SUBSET_SIZE + 1];
  first_subset(j, k);
  do subsets.push_back(Subset(j + 1, j + 1 + k));
  while (next_subset(j, k, n) != 0);
  return subsets;
}

// Every k-subset of 1..n, by recursion rather than by stepping.
void all_subsets(int k, int32_t n, Subset& prefix, const std::function<void(const Subset&)>& f) {
  if (static_cast<int>(prefix.size()) == k) {
    f(prefix);
    return;
  }
  int32_t from = prefix.empty() ? 1 : prefix.back() + 1;
  for (int32_t j = from; j <= n; ++j) {
    prefix.push_back(j);
    all_subsets(k, n, prefix, f);
    prefix.pop_back();
  }
}

int64_t binomial(int32_t n, int k) {
  int64_t c = 1;
  for (int i = 0; i < k; ++i) c = c * (n - i) / (i + 1);
  return c;
}

TEST(SubsetEnumerationTest, FourDataTakenTwoAtATime) {
  std::vector<Subset> expected = {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
  EXPECT_EQ(enumerate(2, 4), expected);
}

TEST(SubsetEnumerationTest, LexicographicForEverySizeAndReportsTheChangedLevel) {
  for (int k = MIN_SUBSET_SIZE; k <= MAX_SUBSET_SIZE; ++k) {
    for (int32_t n = k; n <= 11; ++n) {
      std::vector<Subset> expected;
      Subset prefix;
      all_subsets(k, n, prefix, [&](const Subset& s) { expected.push_back(s); });
      ASSERT_EQ(enumerate(k, n), expected) << k << " " << n;
      ASSERT_EQ(static_cast<int64_t>(expected.size()), binomial(n, k));
      // The level reported is the first position that differs.
      int32_t j[MAX_SUBSET_SIZE + 1];
      first_subset(j, k);
      for (size_t s = 1; s < expected.size(); ++s) {
        int changed = next_subset(j, k, n);
        int first_difference = 1;
        while (expected[s][first_difference - 1] == expected[s - 1][first_difference - 1])
          ++first_difference;
        ASSERT_EQ(changed, first_difference) << k << " " << n << " " << s;
      }
      EXPECT_EQ(next_subset(j, k, n), 0);
    }
  }
}

TEST(SubsetEnumerationTest, SizeEqualToTheCountGivesOneSubset) {
  std::vector<Subset> expected = {{1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(enumerate(8, 8), expected);
}

TEST(ProgressLineTest, Layouts) {
  EXPECT_EQ(progress_line(3, 3000, 123456), "      3000 /    123456");
  EXPECT_EQ(progress_line(2, 1000, 1035), "      1000 /      1035");
  EXPECT_EQ(progress_line(8, 2000000000, 2147483646), "2000000000 /2147483646");
  EXPECT_EQ(progress_line(4, 3000, 123456), "       3000 /   123456");
  // The k = 4 total has 9 columns only.
  EXPECT_EQ(progress_line(4, 1000, 1000000000), "       1000 /*********");
}

// Progress lines collected as the console would show them.
void collect_line(void* context, std::string_view line) {
  std::string& text = *static_cast<std::string*>(context);
  text += line;
  text += '\n';
}

// A fitness table of n columns.
class SubsetInversionTest : public ::testing::Test {
 protected:
  void make_table(int32_t n) {
    table_.columns = n;
    table_.scores.reset(new int8_t[static_cast<size_t>(n) * GSS_SIZE]());
  }
  int8_t& score(int32_t i, int32_t j) {  // GridPoint i, datum j, both 1-based
    return table_.scores[static_cast<size_t>(j - 1) * GSS_SIZE + (i - 1)];
  }
  // Scores of n data from a few values, alike over runs of 50
  // GridPoints, so that winners repeat from subset to subset.
  void scores_alike_over_runs(int32_t n, unsigned seed) {
    std::mt19937 random(seed);
    const int8_t values[] = {-100, -40, 30, 100};
    for (int32_t j = 1; j <= n; ++j)
      for (int32_t i = 1; i <= GSS_SIZE; i += 50) {
        const int8_t value = values[random() % 4];
        for (int32_t p = i; p < i + 50 && p <= GSS_SIZE; ++p)
          score(p, j) = random() % 3 ? value : values[random() % 4];
      }
  }
  // Runs the search; returns the progress lines it wrote.
  std::string invert(int k) {
    std::string progress;
    RunSettings settings;
    settings.threads = 2;
    settings.progress = ProgressSink{collect_line, &progress};
    EXPECT_FALSE(MIM_invert_subsets(generated_grid(), table_, static_cast<int8_t>(k), settings, votes_));
    return progress;
  }
  std::vector<int32_t> votes() { return votes_; }
  FitnessTable table_;
  GridValues votes_ = GridValues(GSS_SIZE, 7);
  // The votes of a direct search: every subset summed afresh.
  std::vector<int32_t> direct_votes(int k, int32_t n) {
    std::vector<int32_t> v(GSS_SIZE, 0);
    Subset prefix;
    all_subsets(k, n, prefix, [&](const Subset& s) {
      int best = 0, best_sum = -100000;
      for (int32_t i = 1; i <= GSS_SIZE; ++i) {
        int sum = 0;
        for (int32_t j : s) sum += score(i, j);
        if (sum > best_sum) best_sum = sum, best = i;
      }
      ++v[best - 1];
    });
    return v;
  }
};

// Few distinct scores make equal sums common, so the tie-break is tested
// on every subset; the extremes -100 and 100 test the widening's sign.
TEST_F(SubsetInversionTest, VotesMatchADirectSearchForEverySize) {
  const int32_t n = 10;
  make_table(n);
  std::mt19937 random(2024);
  const int8_t values[] = {-100, -37, 0, 37, 100};
  for (int32_t j = 1; j <= n; ++j)
    for (int32_t i = 1; i <= GSS_SIZE; ++i) score(i, j) = values[random() % 5];
  for (int k = MIN_SUBSET_SIZE; k <= MAX_SUBSET_SIZE; ++k) {
    EXPECT_EQ(invert(k), " \n") << k;
    std::vector<int32_t> v = votes();
    int64_t total = 0;
    for (int32_t c : v) total += c;
    EXPECT_EQ(total, binomial(n, k)) << k;
    EXPECT_EQ(v, direct_votes(k, n)) << k;
  }
}

// With many data each subset's search starts from the sums at the winners
// of earlier subsets like it, some remembered in shared places; whatever
// those give, the votes must be the direct search's.
TEST_F(SubsetInversionTest, ManyDataGiveTheDirectVotes) {
  const int32_t n = 42;
  make_table(n);
  scores_alike_over_runs(n, 5);
  invert(3);
  EXPECT_EQ(votes(), direct_votes(3, n));
}

// So many data that the greatest summed scores of every pair of them are
// not kept (they would take too much room): the groups are then bounded
// without them, and the votes must still be the direct search's.
TEST_F(SubsetInversionTest, DataTooManyForThePairBoundsGiveTheDirectVotes) {
  const int32_t n = 190;
  make_table(n);
  scores_alike_over_runs(n, 11);
  invert(2);
  EXPECT_EQ(votes(), direct_votes(2, n));
}

// GridPoint g(a, b) scores 100 on data a and b only: each pair of data
// votes for its own GridPoint, which fails if a partial sum is stale.
// The search bounds blocks of GridPoints in any order it is given, and
// among equal sums the lowest grid index must still win: an order that
// puts the lowest indices last and one at random, over few distinct
// scores so that equal sums are everywhere.
TEST_F(SubsetInversionTest, AnyOrderOfTheGridGivesTheDirectVotes) {
  const int32_t n = 9;
  make_table(n);
  std::mt19937 random(77);
  const int8_t values[] = {-100, 0, 50, 100};
  for (int32_t j = 1; j <= n; ++j)
    for (int32_t i = 1; i <= GSS_SIZE; ++i) score(i, j) = values[random() % 4];
  std::vector<int32_t> reversed(GSS_SIZE);
  for (int32_t i = 0; i < GSS_SIZE; ++i) reversed[i] = GSS_SIZE - 1 - i;
  std::vector<int32_t> shuffled = reversed;
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  for (const std::vector<int32_t>* order : {&reversed, &shuffled}) {
    for (int k : {2, 3, 5}) {
      SubsetSearchPlanPtr plan =
          plan_subset_search(ScoreColumns{table_.scores.get(), GSS_SIZE, n}, k, 2, *order);
      ASSERT_NE(plan, nullptr);
      std::vector<int32_t> v(GSS_SIZE, 0);
      run_subset_search(*plan, v.data(), [](int32_t, int32_t) {});
      EXPECT_EQ(v, direct_votes(k, n)) << k;
    }
  }
}

// The order the search is given: every state once, and the states of a
// block nearer to one another in stress than in the grid's own order.
TEST(StressOrderTest, APermutationWhoseBlocksAreCloseInStress) {
  const Gss& gss = generated_grid();
  std::vector<int32_t> order = stress_grouped_order(gss, SEARCH_BLOCK, SEARCH_GROUP, 2);
  std::vector<int32_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  for (int32_t i = 0; i < GSS_SIZE; ++i) ASSERT_EQ(sorted[i], i);
  // The mean distance of a block's states to its first, tensor components
  // compared; the grid's own order as the yardstick.
  auto spread = [&](const std::vector<int32_t>& o) {
    double total = 0;
    for (int32_t p = 0; p + SEARCH_BLOCK <= GSS_SIZE; p += SEARCH_BLOCK)
      for (int32_t t = 1; t < SEARCH_BLOCK; ++t) {
        const float* a = gss.points[o[p]].stress_tensor;
        const float* b = gss.points[o[p + t]].stress_tensor;
        double d = 0;
        for (int c = 0; c < 9; ++c) d += (a[c] - b[c]) * (a[c] - b[c]);
        total += std::sqrt(d);
      }
    return total;
  };
  std::vector<int32_t> grid_order(GSS_SIZE);
  for (int32_t i = 0; i < GSS_SIZE; ++i) grid_order[i] = i;
  EXPECT_LT(spread(order), 0.5 * spread(grid_order));
}

TEST_F(SubsetInversionTest, EachPairVotesForItsOwnGridPoint) {
  const int32_t n = 12;
  make_table(n);
  std::vector<int32_t> expected(GSS_SIZE, 0);
  int32_t g = 100;
  for (int32_t a = 1; a <= n; ++a) {
    for (int32_t b = a + 1; b <= n; ++b, g += 7) {
      score(g, a) = 100;
      score(g, b) = 100;
      expected[g - 1] = 1;
    }
  }
  invert(2);
  EXPECT_EQ(votes(), expected);
}

TEST_F(SubsetInversionTest, AmongEqualSumsTheLowestIndexWins) {
  make_table(5);
  for (int32_t j = 1; j <= 5; ++j) {
    score(7, j) = 90;
    score(3000, j) = 90;
    score(GSS_SIZE, j) = 90;
  }
  invert(3);
  EXPECT_EQ(votes_[7 - 1], 10);
  EXPECT_EQ(votes_[3000 - 1], 0);
  // One point more, only on datum 5, takes the subsets that hold it.
  score(GSS_SIZE, 5) = 91;
  invert(3);
  EXPECT_EQ(votes_[7 - 1], 4);
  EXPECT_EQ(votes_[GSS_SIZE - 1], 6);
}

TEST_F(SubsetInversionTest, EqualTableVotesForTheFirstGridPoint) {
  make_table(6);
  std::memset(table_.scores.get(), -100, 6 * static_cast<size_t>(GSS_SIZE));
  invert(4);
  std::vector<int32_t> expected(GSS_SIZE, 0);
  expected[0] = 15;
  EXPECT_EQ(votes(), expected);
}

TEST_F(SubsetInversionTest, SizeEqualToTheCountGivesOneVote) {
  make_table(8);
  for (int32_t j = 1; j <= 8; ++j) score(40000, j) = static_cast<int8_t>(40 + j);
  score(39999, 8) = 100;  // best on one datum, not on the sum
  EXPECT_EQ(invert(8), " \n");
  std::vector<int32_t> expected(GSS_SIZE, 0);
  expected[40000 - 1] = 1;
  EXPECT_EQ(votes(), expected);
}

TEST_F(SubsetInversionTest, SecondRunStartsFromClearedVotes) {
  make_table(7);
  for (int32_t i = 1; i <= GSS_SIZE; ++i) score(i, 1 + i % 7) = static_cast<int8_t>(i % 101);
  invert(3);
  std::vector<int32_t> first = votes();
  invert(3);
  EXPECT_EQ(votes(), first);
}

TEST_F(SubsetInversionTest, SizesOutsideTwoToEightLeaveNoVotes) {
  make_table(9);
  EXPECT_EQ(invert(1), "");
  EXPECT_EQ(invert(9), "");
  EXPECT_EQ(votes(), std::vector<int32_t>(GSS_SIZE, 0));
}

TEST_F(SubsetInversionTest, ProgressLinesEveryThousandSubsets) {
  make_table(45);  // C(45, 2) = 990
  EXPECT_EQ(invert(2), " \n");
  make_table(46);  // C(46, 2) = 1035
  EXPECT_EQ(invert(2), " \n      1000 /      1035\n");
  make_table(16);  // C(16, 4) = 1820
  EXPECT_EQ(invert(4), " \n       1000 /     1820\n");
  make_table(30);  // C(30, 3) = 4060
  EXPECT_EQ(invert(3), " \n      1000 /      4060\n      2000 /      4060\n"
                       "      3000 /      4060\n      4000 /      4060\n");
}

}  // namespace

// The order the programs carry from their build is the one a run would
// make of the grid as it is generated now.
TEST(StressOrderTest, TheBuiltInOrderIsTheGridsOwn) {
  const std::span<const int32_t> built_in = built_in_stress_order();
#ifdef SORVEL_NO_BUILT_IN_TABLES
  ASSERT_TRUE(built_in.empty());
#else
  const std::vector<int32_t> made = stress_grouped_order(generated_grid(), SEARCH_BLOCK, SEARCH_GROUP, 2);
  ASSERT_EQ(std::vector<int32_t>(built_in.begin(), built_in.end()), made);
#endif
}
