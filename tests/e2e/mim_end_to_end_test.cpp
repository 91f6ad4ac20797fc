// The real sorvel-mim, driven through a pipe: the console transcript, the
// refusals, the results file and a check against geology on data from two
// stress states.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "formats/cdm_file.h"
#include "data/data_file.h"
#include "data/fault_geometry.h"
#include "fitness/fitness_table.h"
#include "analyses/shared_stages.h"
#include "grid/state_axes.h"
#include "support/grid_fixture.h"
#include "grid/stress_tensors.h"
#include "shell/error_reporter.h"
#include "support/console_transcript.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

const std::string QUESTIONS =
    OPEN_QUESTION + save_question_for("MIM File (*.mim)", "data.mim");

const std::string ECHO = echo_lines("data.fdt", "data.mim");

const std::string K_PROMPT = "   Subset size k (2 to 8) = ";

std::string menu_and_choice(const std::string& name) {
  return weight_menu() + "   Weight function = " + name + std::string(40 - name.size(), ' ') + "\n";
}


const std::string FIRST_STAGE = " \n   * Initialization  1/3 *\n";

// One voted GridPoint line of the results file.
struct Vote {
  int32_t index;
  int32_t count;
};

// The GridPoint lines of a results file of n data.
std::vector<Vote> votes_of(const std::vector<std::string>& lines, int n) {
  std::vector<Vote> votes;
  int voted = std::stoi(lines.at(n + 2));
  for (int v = 0; v < voted; ++v) {
    const std::string& line = lines.at(n + 3 + v);
    votes.push_back({std::stoi(line.substr(0, 9)), std::stoi(line.substr(9, 9))});
  }
  return votes;
}

// sigma1 and sigma3 of GridPoint i (1-based, grid order) in degrees.
struct Axes {
  double s1_azimuth, s1_plunge, s3_azimuth, s3_plunge;
};

Axes axes_in_degrees(int32_t i) {
  GridPointAxes a = axes_of_gridpoint(grid_point(i));
  return {a.sigma1.azimuth / DEG_TO_RAD, a.sigma1.plunge / DEG_TO_RAD,
          a.sigma3.azimuth / DEG_TO_RAD, a.sigma3.plunge / DEG_TO_RAD};
}

// The greater of the sigma1 and the sigma3 angle between two states.
double state_distance(const Axes& a, const Axes& b) {
  return std::max(axis_angle(a.s1_azimuth, a.s1_plunge, b.s1_azimuth, b.s1_plunge),
                  axis_angle(a.s3_azimuth, a.s3_plunge, b.s3_azimuth, b.s3_plunge));
}

Axes axes_of_state(const StressState& s) {
  return {s.sigma1_azimuth, s.sigma1_plunge, s.sigma3_azimuth, s.sigma3_plunge};
}

class MimEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  ProgramRun run(const std::string& input) { return run_program("sorvel-mim", folder_, input); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  std::string folder_;
};

const std::string FOUR_DATA =
    "48 70 122 39 N\n275 53 280 53 n\n360 30 270 0.04 D\n130.25 61 165 55 r\n";

TEST_F(MimEndToEndTest, WholeTranscriptAndResultsFile) {
  write_file(path("data.fdt"), FOUR_DATA);
  ProgramRun r = run("data.fdt\n\n2\n3\n");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.output, BANNER + QUESTIONS + ECHO + K_PROMPT + menu_and_choice("tangent") +
                          FIRST_STAGE +
                          "   * Initialization  2/3 *\n   * Initialization  3/3 *\n \n"
                          "   * Writing Results                   *\n");
  std::vector<std::string> lines = split_lines(read_file(path("data.mim")));
  ASSERT_GE(lines.size(), 11u);
  std::vector<std::string> head(lines.begin(), lines.begin() + 6);
  std::vector<std::string> expected_head = {
      "      4", " 48.0 70.0 122.0 39.0 N",
      "275.0 53.0 280.0 53.0 n", "360.0 30.0 270.0  0.0 D", "130.3 61.0 165.0 55.0 r",
      "       59400   11"};
  EXPECT_EQ(head, expected_head);
  std::vector<Vote> votes = votes_of(lines, 4);
  int32_t total = 0, previous = 0;
  for (const Vote& v : votes) {
    EXPECT_GT(v.index, previous);
    EXPECT_LE(v.index, GSS_SIZE);
    EXPECT_GT(v.count, 0);
    previous = v.index;
    total += v.count;
  }
  EXPECT_EQ(total, 6);
  ASSERT_EQ(lines.size(), 4u + 3u + votes.size() + 5u);
  size_t d = 7 + votes.size();
  EXPECT_EQ(lines[d], "Data = data.fdt");
  EXPECT_EQ(lines[d + 1], " k =  2");
  EXPECT_EQ(lines[d + 2], "Function = tangent");
  std::regex stamp(R"(Job Start = (\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3}))");
  std::smatch start, end;
  ASSERT_TRUE(std::regex_match(lines[d + 3], start, stamp)) << lines[d + 3];
  ASSERT_TRUE(std::regex_match(lines[d + 4], end, stamp)) << lines[d + 4];
  EXPECT_LE(start[1].str(), end[1].str());  // same day in practice
}

// With k equal to the fault count the one subset is the whole data set,
// so its vote goes to the first GridPoint of greatest fitness.
TEST_F(MimEndToEndTest, WholeDataSetVotesForTheFittestGridPoint) {
  StressState state = {0.0, 90.0, 120.0, 0.0, 0.6};
  write_file(path("data.fdt"), synthetic_data_file(state, 6, 11));
  ProgramRun r = run("data.fdt\n\n6\n1\n");
  ASSERT_EQ(r.status, 0);
  std::vector<Vote> votes = votes_of(split_lines(read_file(path("data.mim"))), 6);
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(votes[0].count, 1);

  RunTables tables;
  ASSERT_FALSE(read_data_file(path("data.fdt"), tables.faults));
  ASSERT_FALSE(prepare_scoring("test", "", ScoreKeeping::table, tables));
  RunSettings settings;
  fill_fitness_table(tables.gss, tables.faults, weight_function_of(1), settings, tables.table);
  GridValues fitness = sum_fitness(tables.table, settings);
  int32_t fittest = 1;
  for (int32_t i = 2; i <= GSS_SIZE; ++i)
    if (fitness[i - 1] > fitness[fittest - 1]) fittest = i;
  EXPECT_EQ(votes[0].index, fittest);
  EXPECT_LT(state_distance(axes_in_degrees(fittest), axes_of_state(state)), 20.0);
}

TEST_F(MimEndToEndTest, InvalidSubsetSizes) {
  write_file(path("data.fdt"), FOUR_DATA);
  for (const char* answer : {"1", "9", "0", "-2", "abc", "2.5", "300", ",", ""}) {
    ProgramRun r = run(std::string("data.fdt\n\n") + answer + "\n");
    EXPECT_EQ(r.status, 1) << answer;
    EXPECT_EQ(r.output, BANNER + QUESTIONS + ECHO + K_PROMPT +
                            error_block("determine_subset_size", "   Invalid subset size specified"))
        << answer;
    EXPECT_FALSE(file_exists(path("data.mim"))) << answer;
  }
}

TEST_F(MimEndToEndTest, SubsetSizeAboveTheFaultCount) {
  write_file(path("data.fdt"), FOUR_DATA);
  ProgramRun r = run("data.fdt\n\n5\n2\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + QUESTIONS + ECHO + K_PROMPT + menu_and_choice("linear") +
                          FIRST_STAGE +
                          error_block("MIM_execute", "   Subset size exceeds the number of data"));
  EXPECT_FALSE(file_exists(path("data.mim")));
  write_file(path("data.fdt"), "");
  r = run("data.fdt\n\n2\n2\n");
  EXPECT_NE(r.output.find("Subset size exceeds the number of data"), std::string::npos);
}

TEST_F(MimEndToEndTest, TooManySubsetsAreRefusedAfterReading) {
  std::string data;
  for (int i = 0; i < 200; ++i) data += std::to_string(i) + " 45 " + std::to_string(i) + " 45 N\n";
  write_file(path("data.fdt"), data);
  ProgramRun r = run("data.fdt\n\n5\n1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            BANNER + QUESTIONS + ECHO + K_PROMPT + menu_and_choice("cosine") + FIRST_STAGE +
                error_block("MIM_execute",
                            "   Number of iteration exceeds the upper bound 2,147,483,647"));
  EXPECT_FALSE(file_exists(path("data.mim")));
}

// A results name taken by a folder cannot receive the file.
TEST_F(MimEndToEndTest, ResultsFileThatCannotBeWritten) {
  write_file(path("data.fdt"), FOUR_DATA);
  std::filesystem::create_directory(path("data.mim"));
  ProgramRun r = run("data.fdt\n\ny\n2\n1\n");
  EXPECT_EQ(r.status, 1);
  std::string tail = "   * Writing Results                   *\n" +
                     error_block("MIM_save_results", "   File I/O error");
  ASSERT_GE(r.output.size(), tail.size());
  EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail);
  EXPECT_TRUE(std::filesystem::is_directory(path("data.mim")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            2);  // no temporary file left behind
}

// Two populations of faults from two stress states far apart: a normal
// faulting regime (sigma1 vertical) and a strike-slip regime. Subsets
// drawn from one population vote near its state, so the vote count has a
// peak near each. Subsets of four are the smallest that fix the four
// parameters of a reduced stress state; the tangent function, the
// sharpest of the four, keeps the peaks narrow.
TEST_F(MimEndToEndTest, MixedDataVoteForBothGeneratingStates) {
  StressState normal = {0.0, 90.0, 10.0, 0.0, 0.5};
  StressState strike_slip = {45.0, 0.0, 135.0, 0.0, 0.5};
  for (unsigned seed : {7u, 40u}) {
    write_file(path("data.fdt"), synthetic_data_file(normal, 15, seed) +
                                     synthetic_data_file(strike_slip, 15, seed + 2, true));
    ProgramRun r = run("data.fdt\nmixed.mim\n4\n3\n");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.output.find(" \n       1000 /    27405\n       2000 /    27405\n"),
              std::string::npos);
    EXPECT_NE(r.output.find("      27000 /    27405\n   * Writing Results"), std::string::npos);
    std::vector<Vote> votes = votes_of(split_lines(read_file(path("mixed.mim"))), 30);
    std::filesystem::remove(path("mixed.mim"));
    int32_t total = 0;
    for (const Vote& v : votes) total += v.count;
    EXPECT_EQ(total, 27405);
    std::stable_sort(votes.begin(), votes.end(),
                     [](const Vote& a, const Vote& b) { return a.count > b.count; });

    Axes first = axes_in_degrees(votes[0].index);
    double to_normal = state_distance(first, axes_of_state(normal));
    double to_strike_slip = state_distance(first, axes_of_state(strike_slip));
    EXPECT_LT(std::min(to_normal, to_strike_slip), 20.0) << seed;
    const StressState& other = to_normal < to_strike_slip ? strike_slip : normal;

    auto far = std::find_if(votes.begin(), votes.end(), [&](const Vote& v) {
      return state_distance(axes_in_degrees(v.index), first) > 40.0;
    });
    ASSERT_NE(far, votes.end());
    EXPECT_LT(state_distance(axes_in_degrees(far->index), axes_of_state(other)), 20.0) << seed;
    EXPECT_GT(far->count, 100);  // a peak: an even spread gives under one vote a point
  }
}

}  // namespace
