// The fast paths against the straightforward ones, in process: the fill
// of the fitness table and the sums under every weight function, and the
// subset search for every subset size, with 1, 2 and 3 threads. Data sets
// are random (slip lines off their planes included), made from known
// stress states, or degenerate (horizontal and vertical planes and slip
// lines, azimuths of 0 and 360).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "analyses/mim/subset_inversion.h"
#include "common/state.h"
#include "common/threads.h"
#include "data/fault_data_reader.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "fitness/weight_functions.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "shell/error_reporter.h"
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

class FastPathsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(is_GSS_generation_successful());
    compute_stress_tensors();
  }
  void TearDown() override {
    release_tables();
    set_thread_count(1);
  }
  // The data of `text` as the programs read and prepare them, and an
  // empty table for them.
  void load(const std::string& text) {
    release_tables();
    std::string path = (std::filesystem::temp_directory_path() / "sorvel-fast-paths.fdt").string();
    write_file(path, text);
    DataFileError error;
    ASSERT_TRUE(load_fault_data(path, faults, error)) << error.message << " " << error.line;
    std::filesystem::remove(path);
    prepare_fault_geometry();
    allocate_fitness_table();
  }
  std::vector<int8_t> table() const {
    std::size_t bytes = static_cast<std::size_t>(fitness_table.columns) * GSS_SIZE;
    return std::vector<int8_t>(fitness_table.scores, fitness_table.scores + bytes);
  }
  std::vector<int32_t> fitness() const {
    std::vector<int32_t> f(GSS_SIZE);
    for (int32_t k = 0; k < GSS_SIZE; ++k) f[k] = gss[k].fitness;
    return f;
  }
  // Fills and sums by both paths under every weight function and thread
  // count; `what` names the data set in failures.
  void expect_same_fill(const std::string& what) {
    for (int id = 1; id <= 4; ++id) {
      const WeightFunction& weight = weight_function_of(id);
      fill_fitness_table_reference(weight);
      std::vector<int8_t> reference = table();
      sum_fitness_reference();
      std::vector<int32_t> reference_sums = fitness();
      for (int threads : {1, 2, 3}) {
        set_thread_count(threads);
        if (!reference.empty()) std::memset(fitness_table.scores, 55, reference.size());
        fill_fitness_table(weight);
        ASSERT_TRUE(table() == reference) << what << ", weight " << id << ", threads " << threads;
        sum_fitness();
        ASSERT_TRUE(fitness() == reference_sums) << what << ", weight " << id;
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

// A few thousand data: every score of the fast fill, checked against the
// pair-by-pair score on a sample of the stress states.
TEST_F(FastPathsTest, LargeSetAgreesOnASampleOfStressStates) {
  load(random_data(2500, 9) + synthetic_data_file(THRUST, 500, 4));
  for (int id : {1, 4}) {
    const WeightFunction& weight = weight_function_of(id);
    set_thread_count(3);
    fill_fitness_table(weight);
    for (int32_t j = 0; j < fitness_table.columns; ++j) {
      const int8_t* column = fitness_table.scores + static_cast<std::size_t>(j) * GSS_SIZE;
      for (int32_t k = j % 97; k < GSS_SIZE; k += 97)
        ASSERT_EQ(column[k], score_of_pair(gss[k].stress_tensor, faults.data[j], weight))
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
    fill_fitness_table(weight_function_of(id));
    for (int k = MIN_SUBSET_SIZE; k <= MAX_SUBSET_SIZE; ++k) {
      ::testing::internal::CaptureStdout();
      MIM_invert_subsets_reference(static_cast<int8_t>(k));
      std::string reference_lines = ::testing::internal::GetCapturedStdout();
      std::vector<int32_t> reference = fitness();
      ASSERT_EQ(faults.count, 16);
      for (int threads : {1, 2, 3}) {
        set_thread_count(threads);
        ::testing::internal::CaptureStdout();
        MIM_invert_subsets(static_cast<int8_t>(k));
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), reference_lines) << k;
        ASSERT_TRUE(fitness() == reference) << "weight " << id << ", k " << k << ", threads " << threads;
      }
    }
  }
}

}  // namespace
