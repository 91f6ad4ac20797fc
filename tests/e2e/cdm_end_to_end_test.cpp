// The real sorvel, driven through a pipe: console transcripts byte for
// byte, the results file, and checks against geology.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "geometry/vectors.h"

#include "formats/cdm_file.h"
#include "support/console_transcript.h"
#include "support/grid_fixture.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

std::string save_question(const std::string& proposed) {
  return save_question_for("CDM File (*.cdm)", proposed);
}

std::string menu() { return weight_menu(); }

std::string echo(const std::string& data, const std::string& results) {
  return echo_lines(data, results);
}

const std::string PROGRESS =
    " \n   * Initialization     *\n   * Estimating Fitness *\n"
    "   * Sorting            *\n   * Saving Results     *\n";


class CdmEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  ProgramRun run(const std::string& input) { return run_program("sorvel", folder_, input); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  std::string folder_;
};

TEST_F(CdmEndToEndTest, WholeTranscriptOfASuccessfulRun) {
  write_file(path("data.fdt"), "90 60 180 0 D\n90 30 90 30 N\n");
  ProgramRun r = run("data.fdt\n\n1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("data.cdm") +
                          echo("data.fdt", "data.cdm") + menu() + " " +
                          "  Weight function = cosine" + std::string(34, ' ') + "\n" + PROGRESS);
  EXPECT_TRUE(file_exists(path("data.cdm")));
}

TEST_F(CdmEndToEndTest, OverwriteQuestionOnlyLowerCaseYConsents) {
  write_file(path("data.fdt"), "90 60 180 0 D\n");
  const std::string earlier = "earlier results\n";
  for (const char* answer : {"n", "Y", "Yes", "no", "N"}) {
    write_file(path("old.cdm"), earlier);
    ProgramRun r = run(std::string("data.fdt\nold.cdm\n") + answer + "\n2\n");
    EXPECT_EQ(r.status, 1) << answer;
    EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("data.cdm") +
                            "   Specified file to save already exists. \n"
                            "  Do you really want to rewrite it?  < y / n > ")
        << answer;
    EXPECT_EQ(read_file(path("old.cdm")), earlier) << answer;
  }
  for (const char* answer : {"y", "yes", "'y'", ",", "/", "\n\n  y"}) {
    write_file(path("old.cdm"), earlier);
    ProgramRun r = run(std::string("data.fdt\nold.cdm\n") + answer + "\n2\n");
    EXPECT_EQ(r.status, 0) << answer;
    EXPECT_NE(r.output.find("< y / n >    Load fault-slip data"), std::string::npos) << answer;
    EXPECT_EQ(split_lines(read_file(path("old.cdm"))).size(), 59400u) << answer;
  }
}

TEST_F(CdmEndToEndTest, StartUpStops) {
  // End of input at either question is a cancel.
  ProgramRun r = run("");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + "\n No data file specified --- Execution terminated.\n");
  r = run("\n");
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + " No data file specified --- Execution terminated.\n");
  r = run("missing.fdt\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("missing.cdm") +
                          "\n No data file specified --- Execution terminated.\n");
  // The data file is looked for only after both questions.
  r = run("missing.fdt\n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("missing.cdm") +
                          "   Specified data file not found --- Execution terminated.\n");
  EXPECT_FALSE(file_exists(path("missing.cdm")));
}

TEST_F(CdmEndToEndTest, ResultsFileThatIsTheDataFileIsRefused) {
  // However it is spelt, the data file is never overwritten with results,
  // and the refusal comes before the overwrite question.
  const std::string data = "90 60 180 0 D\n90 30 90 30 N\n";
  write_file(path("data.fdt"), data);
  for (const char* name : {"data.fdt", "./data.fdt", "sub/../data.fdt"}) {
    std::filesystem::create_directory(path("sub"));
    ProgramRun r = run(std::string("data.fdt\n") + name + "\ny\n1\n");
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("data.cdm") +
                            "   Specified file to save is the data file itself --- "
                            "Execution terminated.\n")
        << name;
    EXPECT_EQ(read_file(path("data.fdt")), data) << name;
  }
  // Another file of the folder is still replaced after consent.
  write_file(path("other.fdt"), data);
  ProgramRun r = run("data.fdt\nother.fdt\ny\n1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(split_lines(read_file(path("other.fdt"))).size(), 59400u);
}

TEST_F(CdmEndToEndTest, FileNamesAreCompletedAndFoldersChecked) {
  write_file(path("data.txt"), "90 60 180 0 D\n");
  ProgramRun r = run("  data  \nno-such-folder/out.cdm\nresults\n1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("   The folder of this file does not exist: no-such-folder\n"),
            std::string::npos);
  EXPECT_NE(r.output.find(echo("data.txt", "results.txt")), std::string::npos);
  EXPECT_TRUE(file_exists(path("results.txt")));
}

TEST_F(CdmEndToEndTest, InvalidWeightFunctionAnswers) {
  write_file(path("data.fdt"), "90 60 180 0 D\n");
  for (const char* answer : {"0", "5", "-1", "abc", "300", "1.5", ",", ""}) {
    ProgramRun r = run(std::string("data.fdt\n\n") + answer + "\n");
    EXPECT_EQ(r.status, 1) << answer;
    std::string expected = BANNER + OPEN_QUESTION + save_question("data.cdm") +
                           echo("data.fdt", "data.cdm") + menu() +
                           error_block("determine_weightfunc",
                                       "   Invalid number of weight function specified");
    EXPECT_EQ(r.output, expected) << answer;
    EXPECT_FALSE(file_exists(path("data.cdm"))) << answer;
  }
}

TEST_F(CdmEndToEndTest, DataErrorsEndAfterTheFirstProgressLine) {
  struct Case {
    std::string data;
    std::string report;
  } cases[] = {
      {"10 20 30 40 N\n10 20 30 40 N\n10 20 30 40 X\n", "   Invalid sense in the line number         3"},
      {"dip dir, dip\n", "   Invalid data at line number         1"},
      {"10 20 30 40 N\n\n", "   Invalid data at line number         2"},
  };
  for (const Case& c : cases) {
    write_file(path("data.fdt"), c.data);
    ProgramRun r = run("data.fdt\n\n3\n");
    EXPECT_EQ(r.status, 1);
    std::string tail = "   Weight function = tangent" + std::string(33, ' ') +
                       "\n \n   * Initialization     *\n" + error_block("read_data_file", c.report);
    ASSERT_GE(r.output.size(), tail.size());
    EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail) << c.data;
    EXPECT_FALSE(file_exists(path("data.cdm")));
  }
}

TEST_F(CdmEndToEndTest, EmptyDataFileListsTheGridInGenerationOrder) {
  write_file(path("empty.fdt"), "");
  ProgramRun r = run("empty.fdt\n\n4\n");
  ASSERT_EQ(r.status, 0);
  std::vector<std::string> lines = split_lines(read_file(path("empty.cdm")));
  ASSERT_EQ(lines.size(), 59400u);
  for (int32_t k = 1; k <= GSS_SIZE; ++k)
    ASSERT_EQ(lines[k - 1], CDM_results_line(grid_point(k), 0)) << k;
  EXPECT_EQ(lines[0].substr(16), "       0");
}

// Data from a known stress state are explained best by that stress state,
// under every weight function.
TEST_F(CdmEndToEndTest, RecoversTheGeneratingStressState) {
  StressState state = {35.0, 25.0, 150.0, 43.0, 0.4};
  // sigma3 perpendicular to sigma1: take it from a cross product.
  {
    double a1 = pi_times_over_180(state.sigma1_azimuth), p1 = pi_times_over_180(state.sigma1_plunge);
    double e1[3] = {std::cos(p1) * std::sin(a1), std::cos(p1) * std::cos(a1), -std::sin(p1)};
    double up[3] = {0, 0, 1};
    double h[3] = {e1[1] * up[2] - e1[2] * up[1], e1[2] * up[0] - e1[0] * up[2],
                   e1[0] * up[1] - e1[1] * up[0]};
    double e3[3] = {e1[1] * h[2] - e1[2] * h[1], e1[2] * h[0] - e1[0] * h[2],
                    e1[0] * h[1] - e1[1] * h[0]};
    if (e3[2] > 0) for (double& c : e3) c = -c;
    double n = std::sqrt(e3[0] * e3[0] + e3[1] * e3[1] + e3[2] * e3[2]);
    state.sigma3_plunge = times_180_over_pi(std::asin(-e3[2] / n));
    state.sigma3_azimuth = std::fmod(times_180_over_pi(std::atan2(e3[0], e3[1])) + 360, 360);
  }
  write_file(path("synthetic.fdt"), synthetic_data_file(state, 40, 7));
  for (int id = 1; id <= 4; ++id) {
    ProgramRun r = run("synthetic.fdt\nbest.cdm\n" + std::to_string(id) + "\n");
    ASSERT_EQ(r.status, 0);
    std::vector<std::string> lines = split_lines(read_file(path("best.cdm")));
    ASSERT_EQ(lines.size(), 59400u);
    CdmLine best = parse_cdm_line(lines.back());
    EXPECT_LT(axis_angle(best.s1_azimuth, best.s1_plunge, state.sigma1_azimuth, state.sigma1_plunge), 10.0) << id;
    EXPECT_LT(axis_angle(best.s3_azimuth, best.s3_plunge, state.sigma3_azimuth, state.sigma3_plunge), 10.0) << id;
    EXPECT_LE(std::abs(best.phi_tenths - 4), 1) << id;
    EXPECT_GT(best.fitness, 0);
    std::filesystem::remove(path("best.cdm"));
  }
}

TEST_F(CdmEndToEndTest, ResultsFileLayout) {
  std::filesystem::copy(example_path("normal_faults.fdt"), path("normal.fdt"));
  ProgramRun r = run("normal.fdt\n\n1\n");
  ASSERT_EQ(r.status, 0);
  std::string text = read_file(path("normal.cdm"));
  ASSERT_EQ(text.back(), '\n');
  std::vector<std::string> lines = split_lines(text);
  ASSERT_EQ(lines.size(), 59400u);
  int previous = 0;
  for (const std::string& line : lines) {
    ASSERT_EQ(line.size(), 24u);
    CdmLine l = parse_cdm_line(line);
    ASSERT_GE(l.fitness, previous);
    ASSERT_GE(l.s1_plunge, 0);
    ASSERT_LE(l.s1_plunge, 90);
    ASSERT_GE(l.s3_plunge, 0);
    ASSERT_LE(l.phi_tenths, 10);
    previous = l.fitness;
  }
  EXPECT_EQ(parse_cdm_line(lines.front()).fitness, 0);
}

// The hand-made example sets: what a geologist expects of each regime.
TEST_F(CdmEndToEndTest, ExampleRegimes) {
  struct Case {
    const char* file;
    bool sigma1_vertical, sigma3_vertical;
  } cases[] = {{"normal_faults.fdt", true, false},
               {"thrust_faults.fdt", false, true},
               {"strike_slip_faults.fdt", false, false}};
  for (const Case& c : cases) {
    std::filesystem::copy(example_path(c.file), path(c.file),
                          std::filesystem::copy_options::overwrite_existing);
    for (int id = 1; id <= 4; ++id) {
      ProgramRun r = run(std::string(c.file) + "\nout.cdm\n" + std::to_string(id) + "\n");
      ASSERT_EQ(r.status, 0);
      CdmLine best = parse_cdm_line(split_lines(read_file(path("out.cdm"))).back());
      if (c.sigma1_vertical) {
        EXPECT_GE(best.s1_plunge, 70) << c.file << " " << id;
      } else if (c.sigma3_vertical) {
        EXPECT_GE(best.s3_plunge, 70) << c.file << " " << id;
      } else {
        EXPECT_LE(best.s1_plunge, 20) << c.file << " " << id;
        EXPECT_LE(best.s3_plunge, 20) << c.file << " " << id;
      }
      std::filesystem::remove(path("out.cdm"));
    }
  }
}

}  // namespace
