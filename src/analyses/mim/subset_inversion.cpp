// Each k-subset {j1 < ... < jk} is scored by one pass over the grid that
// adds one column to the partial sums of the level above: the scores are
// widened once to 16 bits (sums of at most 8 scores of -100 to 100 stay
// within -800 to 800), vector m holds for every GridPoint the sum over
// the first m data of the current subset, and only the levels whose index
// changed are recomputed.
#include "analyses/mim/subset_inversion.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "analyses/mim/bounded_search.h"
#include "grid/stress_order.h"
#include "common/number_format.h"

// The working arrays of one search.
struct SubsetSearch {
  int16_t* widened;  // GSS_SIZE rows by n columns, GridPoint index fastest
  int16_t* sums;     // vectors 2 to k, GSS_SIZE entries each
};

void first_subset(int32_t* j, int k) {
  for (int m = 1; m <= k; ++m) j[m] = m;
}

int next_subset(int32_t* j, int k, int32_t n) {
  int m = k;
  while (m >= 1 && j[m] == n - k + m) --m;
  if (m == 0) return 0;
  ++j[m];
  for (int q = m + 1; q <= k; ++q) j[q] = j[q - 1] + 1;
  return m;
}

std::string progress_line(int k, int32_t counter, int32_t total) {
  std::string line;
  if (k == 4) line += ' ';
  append_int(line, counter, 10);
  line += " /";
  append_int(line, total, k == 4 ? 9 : 10);
  return line;
}

// Room for the widened table and the vectors 2..k; false when it cannot
// be had (nothing is then held).
static ErrorReport allocation_failure() {
  return ErrorReport{"MIM_invert_subsets", "Memory allocation error", {}, ""};
}

static bool allocate_search(SubsetSearch& search, int32_t n, int k) {
  const std::size_t row = GSS_SIZE * sizeof(int16_t);
  std::size_t columns = n > 0 ? static_cast<std::size_t>(n) : 1;
  search.widened = nullptr;
  search.sums = nullptr;
  if (columns > std::numeric_limits<std::size_t>::max() / row) return false;
  search.widened = static_cast<int16_t*>(std::malloc(columns * row));
  search.sums = static_cast<int16_t*>(std::malloc(static_cast<std::size_t>(k - 1) * row));
  if (search.widened != nullptr && search.sums != nullptr) return true;
  std::free(search.widened);
  std::free(search.sums);
  return false;
}

static void release_search(SubsetSearch& search) {
  std::free(search.widened);
  std::free(search.sums);
  search.widened = nullptr;
  search.sums = nullptr;
}

static void widen_fitness_table(const FitnessTable& table, int16_t* widened, int32_t n) {
  const std::size_t entries = static_cast<std::size_t>(n) * GSS_SIZE;
  for (std::size_t e = 0; e < entries; ++e) widened[e] = table.scores[e];
}

static void add_columns(const int16_t* __restrict below, const int16_t* __restrict column,
                        int16_t* __restrict sums) {
  for (int32_t i = 0; i < GSS_SIZE; ++i) sums[i] = static_cast<int16_t>(below[i] + column[i]);
}

// The complete subset sums and the first GridPoint (0-based) with the
// greatest of them, so that among equal sums the lowest index wins. The
// pass that forms the sums keeps their maximum alongside, a loop without
// branches that the compiler turns into vector instructions; a short scan
// from the start then finds the first GridPoint that reaches it.
static int32_t best_of_subset(const int16_t* __restrict below, const int16_t* __restrict column,
                              int16_t* __restrict sums) {
  int16_t best_sum = std::numeric_limits<int16_t>::min();
  for (int32_t i = 0; i < GSS_SIZE; ++i) {
    int16_t s = static_cast<int16_t>(below[i] + column[i]);
    sums[i] = s;
    best_sum = s > best_sum ? s : best_sum;
  }
  int32_t best = 0;
  while (sums[best] != best_sum) ++best;
  return best;
}

static void run_search(const SubsetSearch& search, int32_t n, int k, int32_t total,
                       const RunSettings& settings, GridValues& votes) {
  if (n < k) return;  // no k-subset exists
  // vector[m] holds the sums over j1..jm; vector[1] is column j1 itself.
  const int16_t* vector[MAX_SUBSET_SIZE + 1];
  int16_t* own[MAX_SUBSET_SIZE + 1];
  for (int m = 2; m <= k; ++m) {
    own[m] = search.sums + static_cast<std::size_t>(m - 2) * GSS_SIZE;
    vector[m] = own[m];
  }
  auto column = [&](int32_t j) {
    return search.widened + static_cast<std::size_t>(j - 1) * GSS_SIZE;
  };
  int32_t j[MAX_SUBSET_SIZE + 1];
  first_subset(j, k);
  int32_t counter = 0;
  int changed = 1;
  do {
    vector[1] = column(j[1]);
    for (int m = changed < 2 ? 2 : changed; m <= k - 1; ++m)
      add_columns(vector[m - 1], column(j[m]), own[m]);
    ++counter;
    int32_t best = best_of_subset(vector[k - 1], column(j[k]), own[k]);
    ++votes[static_cast<std::size_t>(best)];
    if (counter % VOTES_PER_PROGRESS_LINE == 0)
      report_progress_line(settings, progress_line(k, counter, total));
    changed = next_subset(j, k, n);
  } while (changed != 0);
}

StageResult MIM_invert_subsets(const Gss& gss, FitnessTable& table, int8_t k,
                               const RunSettings& settings, GridValues& votes) {
  if (settings.reference) return MIM_invert_subsets_reference(table, k, settings, votes);
  votes.assign(GSS_SIZE, 0);
  if (k < MIN_SUBSET_SIZE || k > MAX_SUBSET_SIZE) return std::nullopt;  // no search, no votes
  const int32_t n = table.columns;
  SubsetSearchPlanPtr plan;
  try {
    const std::vector<int32_t> order = search_stress_order(gss, settings.threads);
    // The search lays the table out in its own storage, where it has the
    // room, and puts it back.
    plan = plan_subset_search(ScoreColumns{table.scores.get(), GSS_SIZE, n, table.scores.get(), table.storage},
                              k, settings.threads, order);
  } catch (const std::bad_alloc&) {
  }
  if (plan == nullptr) return allocation_failure();
  const int32_t total = count_combinations(n, k);
  report_progress_message(settings, "");
  run_subset_search(*plan, votes.data(), [&](int32_t counter, int32_t) {
    report_progress_line(settings, progress_line(k, counter, total));
  });
  return std::nullopt;
}

StageResult MIM_invert_subsets_reference(const FitnessTable& table, int8_t k,
                                         const RunSettings& settings, GridValues& votes) {
  votes.assign(GSS_SIZE, 0);
  if (k < MIN_SUBSET_SIZE || k > MAX_SUBSET_SIZE) return std::nullopt;  // no search, no votes
  const int32_t n = table.columns;
  SubsetSearch search;
  if (!allocate_search(search, n, k)) return allocation_failure();
  widen_fitness_table(table, search.widened, n);
  const int32_t total = count_combinations(n, k);
  report_progress_message(settings, "");
  run_search(search, n, k, total, settings, votes);
  release_search(search);
  return std::nullopt;
}
