// The MIM results file, byte for byte, and the count of subsets that
// guards the search.
#include "analyses/mim/mim_results.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "analyses/mim/mim_pipeline.h"
#include "common/state.h"
#include "shell/error_reporter.h"
#include "support/program_runner.h"

namespace {

TEST(CountCombinationsTest, BinomialCoefficientsBelowTheBound) {
  EXPECT_EQ(count_combinations(10, 3), 120);
  EXPECT_EQ(count_combinations(4, 2), 6);
  EXPECT_EQ(count_combinations(7, 7), 1);
  EXPECT_EQ(count_combinations(30, 3), 4060);
  EXPECT_EQ(count_combinations(60, 5), 5461512);
  EXPECT_EQ(count_combinations(180, 5), 1488847536);
  EXPECT_EQ(count_combinations(32767, 2), 536821761);
  EXPECT_EQ(count_combinations(25, 1), 25);
  EXPECT_EQ(count_combinations(5, 0), 1);
  // C(40, 8) = 76 904 685: every size through logarithms, still exact.
  EXPECT_EQ(count_combinations(40, 8), 76904685);
}

TEST(CountCombinationsTest, RefusedFromTheBoundOn) {
  EXPECT_EQ(count_combinations(200, 5), -1);    // about 2.5e9
  EXPECT_EQ(count_combinations(32767, 3), -1);  // about 5.9e12
  // The last count of three under 2^31 - 1 and the first above it.
  EXPECT_EQ(count_combinations(2345, 3), 2146453540);
  EXPECT_EQ(count_combinations(2346, 3), -1);  // 2 149 201 880
}

TEST(JobTimeTest, TextsAndTheirLine) {
  std::tm t = {};
  t.tm_year = 1999 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 2;
  t.tm_hour = 14;
  t.tm_min = 5;
  t.tm_sec = 9;
  JobTime job = job_time_of(t, 250);
  EXPECT_EQ(job.date, "19990302    ");
  EXPECT_EQ(job.time, "140509.250  ");
  EXPECT_EQ(job_time_line(job.date, job.time), "Job Start = 1999/03/02 14:05:09.250");
  EXPECT_EQ(job_time_of(t, 3).time, "140509.003  ");
}

class MimResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    file_names.results_file = folder_ + "/out.mim";
    faults.count = 3;
    faults.data = static_cast<FaultDatum*>(std::calloc(3, sizeof(FaultDatum)));
    faults.data[0] = {360.0f, 45.0f, 90.0f, 30.0f, 'n', {}, {}};
    faults.data[1] = {12.34f, 5.05f, 270.26f, 0.0f, 'R', {}, {}};
    faults.data[2] = {0.0f, 90.0f, 359.96f, 89.99f, 'd', {}, {}};
    weightfunc_id = 4;
    for (int32_t i = 0; i < GSS_SIZE; ++i) gss[i].fitness = 0;
  }
  void TearDown() override {
    release_tables();
    faults.count = 0;
    std::filesystem::remove_all(folder_);
  }
  std::string save() {
    MIM_save_results("data file.fdt   ", 3, "19990302    ", "140509.250  ", "19990302    ",
                     "140710.003  ");
    return read_file(file_names.results_file);
  }
  std::string folder_;
};

const std::string DATA_LINES =
    "      3\n"
    "360.0 45.0  90.0 30.0 n\n"
    " 12.3  5.1 270.3  0.0 R\n"
    "  0.0 90.0 360.0 90.0 d\n";

const std::string DESCRIPTION =
    "Data = data file.fdt\n"
    " k =  3\n"
    "Function = hyperbolic tangent\n"
    "Job Start = 1999/03/02 14:05:09.250\n"
    "Job Start = 1999/03/02 14:07:10.003\n";

TEST_F(MimResultsTest, WholeFile) {
  gss[0].fitness = 2;
  gss[1234].fitness = 3;
  gss[GSS_SIZE - 1].fitness = 1000000;
  EXPECT_EQ(save(), DATA_LINES +
                        "       59400   11\n"
                        "           3\n"
                        "        1        2\n"
                        "     1235        3\n"
                        "    59400  1000000\n" +
                        DESCRIPTION);
}

TEST_F(MimResultsTest, NoVotedGridPoint) {
  EXPECT_EQ(save(), DATA_LINES + "       59400   11\n           0\n" + DESCRIPTION);
}

TEST_F(MimResultsTest, EveryGridPointVoted) {
  for (int32_t i = 0; i < GSS_SIZE; ++i) gss[i].fitness = i % 3 + 1;
  std::vector<std::string> lines = split_lines(save());
  ASSERT_EQ(lines.size(), 4u + 2u + 59400u + 5u);
  EXPECT_EQ(lines[5], "       59400");
  EXPECT_EQ(lines[6], "        1        1");
  EXPECT_EQ(lines[5 + 59400], "    59400        3");
  EXPECT_EQ(lines[6 + 59400], "Data = data file.fdt");
}

}  // namespace
