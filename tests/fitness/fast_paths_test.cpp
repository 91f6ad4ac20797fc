// The fast paths against the straightforward ones, in process: the fill
// of the fitness table and the sums under every weight function, and the
// subset search for every subset size, with 1, 2 and 3 threads. Data sets
// are random (slip lines off their planes included), made from known
// stress states, or degenerate (horizontal and vertical planes and slip
// lines, azimuths of 0 and 360).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <vector>

#include "analyses/mim/subset_inversion.h"
#include "data/data_file.h"
#include "data/fault_geometry.h"
#include "fitness/fill_reference.h"
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

// The kernels score most pairs from a quick dot product and keep the
// exact one for pairs near a step of the score: pairs made to lie within
// a few hundred units in the last place of every step, on both sides,
// must score exactly as the pair-by-pair path does. Each stress tensor
// n w' + w n' (plus parts that exert no shear on the plane) puts the
// shear on the plane of normal n along w, at the chosen angle to the slip.
TEST(QuickDotProductTest, PairsAtEveryStepScoreAsThePairByPairPath) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  auto random_unit = [&]() {
    double v[3];
    double length;
    do {
      for (double& c : v) c = unit(random);
      length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    } while (length < 0.1 || length > 1.0);
    return std::array<double, 3>{v[0] / length, v[1] / length, v[2] / length};
  };
  for (int id = 1; id <= 4; ++id) {
    const WeightFunction& weight = weight_function_of(id);
    const StepTable table = score_step_table(weight);
    ASSERT_TRUE(table.usable);
    std::vector<float> steps;
    for (float step : table.step)
      if (step <= 1.0f) steps.push_back(step);
    for (int trial = 0; trial < 6; ++trial) {
      // A plane, and a slip on it.
      const std::array<double, 3> n = random_unit(), r = random_unit();
      const double along = r[0] * n[0] + r[1] * n[1] + r[2] * n[2];
      std::array<double, 3> s = {r[0] - along * n[0], r[1] - along * n[1], r[2] - along * n[2]};
      const double s_length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
      for (double& c : s) c /= s_length;
      const std::array<double, 3> across = {n[1] * s[2] - n[2] * s[1], n[2] * s[0] - n[0] * s[2],
                                            n[0] * s[1] - n[1] * s[0]};
      FaultDatum datum{};
      datum.normal_vector = Vec3{float(n[0]), float(n[1]), float(n[2])};
      datum.slip_vector = Vec3{float(s[0]), float(s[1]), float(s[2])};
      // For every step, cosines a few hundred floats below and above it.
      std::vector<GridPoint> grid;
      for (float step : steps) {
        for (int ulps = -300; ulps <= 300; ulps += 7) {
          float cosine = step;
          for (int u = 0; u < std::abs(ulps); ++u)
            cosine = std::nextafter(cosine, ulps < 0 ? -2.0f : 2.0f);
          if (cosine < -1.0f || cosine > 1.0f) continue;
          const double c = cosine, sine = std::sqrt(std::max(0.0, 1.0 - c * c));
          const double scale = 0.2 + 0.8 * (unit(random) + 1.0) / 2.0;
          double w[3];
          for (int i = 0; i < 3; ++i) w[i] = scale * (c * s[i] + sine * across[i]);
          const double iso = unit(random), normal = unit(random);
          GridPoint point{};
          for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 3; ++row)
              point.stress_tensor[3 * col + row] = static_cast<float>(
                  n[row] * w[col] + w[row] * n[col] + (row == col ? iso : 0.0) +
                  normal * n[row] * n[col]);
          grid.push_back(point);
        }
      }
      const int32_t points = static_cast<int32_t>(grid.size());
      std::vector<int8_t> columns(grid.size());
      fill_score_columns(grid.data(), points, &datum, 1, table, columns.data(), 2);
      const std::vector<int32_t> sums = sum_score_columns(grid.data(), points, &datum, 1, table, 2);
      int changes = 0;
      for (int32_t k = 0; k < points; ++k) {
        const int8_t want = score_of_pair(grid[k].stress_tensor, datum, weight);
        ASSERT_EQ(columns[k], want) << "weight " << id << ", pair " << k;
        ASSERT_EQ(sums[k], want) << "weight " << id << ", pair " << k;
        if (k > 0 && want != score_of_pair(grid[k - 1].stress_tensor, datum, weight)) ++changes;
      }
      // The pairs do straddle the steps.
      EXPECT_GT(changes, static_cast<int>(steps.size()) / 2) << "weight " << id;
    }
  }
}
