// The MIM results file, byte for byte, and the count of subsets that
// guards the search.
#include "formats/mim_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/subset_counting.h"
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
  // C(40, 8) = 76 904 685: the largest subset size, exact.
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
    faults_.count = 3;
    faults_.data = {{360.0f, 45.0f, 90.0f, 30.0f, 'n', {}, {}},
                    {12.34f, 5.05f, 270.26f, 0.0f, 'R', {}, {}},
                    {0.0f, 90.0f, 359.96f, 89.99f, 'd', {}, {}}};
    votes_.assign(GSS_SIZE, 0);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string save() {
    MimDescription run = {"data file.fdt   ", 3, 4, {"19990302    ", "140509.250  "},
                          {"19990302    ", "140710.003  "}};
    EXPECT_FALSE(MIM_save_results(folder_ + "/out.mim", faults_, votes_, run));
    return read_file(folder_ + "/out.mim");
  }
  std::string folder_;
  FaultSet faults_;
  GridValues votes_;
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
  votes_[0] = 2;
  votes_[1234] = 3;
  votes_[GSS_SIZE - 1] = 1000000;
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
  for (int32_t i = 0; i < GSS_SIZE; ++i) votes_[i] = i % 3 + 1;
  std::vector<std::string> lines = split_lines(save());
  ASSERT_EQ(lines.size(), 4u + 2u + 59400u + 5u);
  EXPECT_EQ(lines[5], "       59400");
  EXPECT_EQ(lines[6], "        1        1");
  EXPECT_EQ(lines[5 + 59400], "    59400        3");
  EXPECT_EQ(lines[6 + 59400], "Data = data file.fdt");
}

}  // namespace
