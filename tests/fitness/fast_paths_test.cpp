// The fast paths against the straightforward ones, in process: the fill
// of the fitness table and the sums under every weight function, and the
// subset search for every subset size, with 1, 2 and 3 threads. Data sets
// are random (slip lines off their planes included), made from known
// stress states, or degenerate (horizontal and vertical planes and slip
// lines, azimuths of 0 and 360).
#include <gtest/gtest.h>

#include <limits>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <vector>

#include "analyses/mim/subset_inversion.h"
#include "data/fault_data_reader.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/weight_functions.h"
#include "support/grid_fixture.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

std::string random_data(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> azimuth(0.0, 360.0), dip(0.0, 90.0);
  std::string text;
  char line[96];
  for (int i = 0; i < count; ++i) {
    std::snprintf(line, sizeof line, "%.3f %.3f %.3f %.3f %c\n", azimuth(random), dip(random),
                  azimuth(random), dip(random), "NRSDnrsd"[random() % 8]);
    text += line;
  }
  return text;
}

const char DEGENERATE_DATA[] =
    "0 0 0 0 N\n360 90 0 90 D\n90 90 0 0 S\n180 45 180 45 N\n0 90 90 0 S\n"
    "270 0 270 0 R\n45 60 45 60 r\n360 0 360 0 d\n90 30 270 30 N\n1 89.9 91 0.1 S\n";

const StressState NORMAL = {10.0, 85.0, 95.0, 0.0, 0.5};
const StressState STRIKE_SLIP = {40.0, 0.0, 130.0, 0.0, 0.3};
const StressState THRUST = {40.0, 0.0, 130.0, 88.0, 0.8};

// Progress lines collected as the console would show them.
void collect_line(void* context, std::string_view line) {
  std::string& text = *static_cast<std::string*>(context);
  text += line;
  text += '\n';
}

class FastPathsTest : public ::testing::Test {
 protected:
  const Gss& gss_ = generated_grid();
  FaultSet faults_;
  FitnessTable table_;

  RunSettings settings(int threads, std::string* progress = nullptr) {
    RunSettings s;
    s.threads = threads;
    if (progress != nullptr) s.progress = ProgressSink{collect_line, progress};
    return s;
  }
  // The data of `text` as the programs read and prepare them, and an
  // empty table for them. The file goes in a folder of its own: tests run
  // side by side in separate processes.
  void load(const std::string& text) {
    std::string folder = make_temp_folder();
    std::string path = folder + "/data.fdt";
    write_file(path, text);
    StageResult error = read_data_file(path, faults_);
    std::filesystem::remove_all(folder);
    ASSERT_FALSE(error) << error->message;
    prepare_fault_geometry(faults_);
    ASSERT_FALSE(allocate_fitness_table(faults_.count, table_));
  }
  std::vector<int8_t> table() const {
    std::size_t bytes = static_cast<std::size_t>(table_.columns) * GSS_SIZE;
    return std::vector<int8_t>(table_.scores.get(), table_.scores.get() + bytes);
  }
  // Fills and sums by both paths under every weight function and thread
  // count; `what` names the data set in failures.
  void expect_same_fill(const std::string& what) {
    for (int id = 1; id <= 4; ++id) {
      const WeightFunction& weight = weight_function_of(id);
      fill_fitness_table_reference(gss_, faults_, weight, table_);
      std::vector<int8_t> reference = table();
      GridValues reference_sums = sum_fitness_reference(table_);
      for (int threads : {1, 2, 3}) {
        if (!reference.empty()) std::memset(table_.scores.get(), 55, reference.size());
        fill_fitness_table(gss_, faults_, weight, settings(threads), table_);
        ASSERT_TRUE(table() == reference) << what << ", weight " << id << ", threads " << threads;
        ASSERT_TRUE(sum_fitness(table_, settings(threads)) == reference_sums)
            << what << ", weight " << id;
        GridValues without_table;
        ASSERT_FALSE(fill_and_sum_fitness(gss_, faults_, weight, settings(threads), without_table));
        ASSERT_TRUE(without_table == reference_sums) << what << ", weight " << id << ", no table";
      }
    }
  }
};

TEST_F(FastPathsTest, FillAndSumsAgreeWithThePairByPairPath) {
  const std::pair<std::string, std::string> sets[] = {
      {"no data", ""},
      {"one datum", "99 66 80 65 N\n"},
      {"degenerate", DEGENERATE_DATA},
      {"random", random_data(60, 1)},
      {"normal faults", synthetic_data_file(NORMAL, 40, 2)},
      {"strike-slip faults", synthetic_data_file(STRIKE_SLIP, 40, 3, true)},
  };
  for (const auto& [what, text] : sets) {
    load(text);
    expect_same_fill(what);
  }
}

// A datum whose slip is not a number gives dot products that are not
// numbers: the sums, formed without a table, mend their scores to the
// reference's.
TEST_F(FastPathsTest, DotProductsThatAreNotNumbersScoreAsInTheReference) {
  load("99 66 80 65 N\n10 40 100 20 R\n");
  faults_.data[1].slip_vector.y = std::numeric_limits<float>::quiet_NaN();
  expect_same_fill("a slip that is not a number");
}

// A few thousand data: every score of the fast fill, checked against the
// pair-by-pair score on a sample of the stress states.
TEST_F(FastPathsTest, LargeSetAgreesOnASampleOfStressStates) {
  load(random_data(2500, 9) + synthetic_data_file(THRUST, 500, 4));
  for (int id : {1, 4}) {
    const WeightFunction& weight = weight_function_of(id);
    fill_fitness_table(gss_, faults_, weight, settings(3), table_);
    for (int32_t j = 0; j < table_.columns; ++j) {
      const int8_t* column = table_.scores.get() + static_cast<std::size_t>(j) * GSS_SIZE;
      for (int32_t k = j % 97; k < GSS_SIZE; k += 97)
        ASSERT_EQ(column[k], score_of_pair(gss_.points[k].stress_tensor, faults_.data[j], weight))
            << "datum " << j + 1 << ", GridPoint " << k + 1 << ", weight " << id;
    }
  }
}

// Real scores, where the bounds of the fast search prune much of the
// grid: a mixed set gives many near-equal sums and several winners.
TEST_F(FastPathsTest, SubsetSearchAgreesForEverySizeAndThreadCount) {
  load(synthetic_data_file(NORMAL, 5, 5) + synthetic_data_file(STRIKE_SLIP, 4, 6, true) +
       synthetic_data_file(THRUST, 3, 7) + std::string(DEGENERATE_DATA).substr(0, 52));
  for (int id : {1, 3}) {
    fill_fitness_table(gss_, faults_, weight_function_of(id), settings(2), table_);
    for (int k = MIN_SUBSET_SIZE; k <= MAX_SUBSET_SIZE; ++k) {
      std::string reference_lines;
      GridValues reference;
      ASSERT_FALSE(MIM_invert_subsets_reference(table_, static_cast<int8_t>(k),
                                                settings(1, &reference_lines), reference));
      ASSERT_EQ(faults_.count, 16);
      for (int threads : {1, 2, 3}) {
        std::string lines;
        GridValues votes;
        ASSERT_FALSE(MIM_invert_subsets(generated_grid(), table_, static_cast<int8_t>(k), settings(threads, &lines),
                                        votes));
        EXPECT_EQ(lines, reference_lines) << k;
        ASSERT_TRUE(votes == reference) << "weight " << id << ", k " << k << ", threads " << threads;
      }
    }
  }
}

}  // namespace
