// The command-line mode of the real programs: the results of an option run
// are those of the dialogue on the same answers, the summary line agrees
// with the results files, and every refusal has its exit status. Standard
// input is an open, empty pipe throughout, so a run that read it (or that
// paused after an error) would hang and be killed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "geometry/vectors.h"

#include "formats/cdm_file.h"
#include "common/number_format.h"
#include "grid/state_axes.h"
#include "shell/program_info.h"
#include "support/grid_fixture.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace fs = std::filesystem;

namespace {

const std::string CDM_PROGRESS =
    " \n   * Initialization     *\n   * Estimating Fitness *\n"
    "   * Sorting            *\n   * Saving Results     *\n";

// The fields of a summary line: axes as azimuth/plunge, Phi in tenths.
struct Summary {
  int s1_azimuth, s1_plunge, s2_azimuth, s2_plunge, s3_azimuth, s3_plunge, phi_tenths;
  double mean;  // mean score; for MIM the share of the votes in percent
  int votes;
  long long total;
};

bool parse_axes(const char* text, Summary& s) {
  int phi_whole = 0, phi_tenth = 0;
  int n = std::sscanf(text, "sigma1 %d/%d, sigma2 %d/%d, sigma3 %d/%d, Phi %d.%d", &s.s1_azimuth,
                      &s.s1_plunge, &s.s2_azimuth, &s.s2_plunge, &s.s3_azimuth, &s.s3_plunge,
                      &phi_whole, &phi_tenth);
  s.phi_tenths = 10 * phi_whole + phi_tenth;
  return n == 8;
}

bool parse_best_state(const std::string& line, Summary& s) {
  const std::string label = "  Best stress state: ";
  if (line.rfind(label, 0) != 0 || !parse_axes(line.c_str() + label.size(), s)) return false;
  return std::sscanf(line.c_str() + line.find(", mean score "), ", mean score %lf of 100",
                     &s.mean) == 1;
}

bool parse_most_voted(const std::string& line, Summary& s) {
  const std::string label = "  Most voted stress state: ";
  if (line.rfind(label, 0) != 0 || !parse_axes(line.c_str() + label.size(), s)) return false;
  return std::sscanf(line.c_str() + line.find(", votes "), ", votes %d of %lld (%lf %%)", &s.votes,
                     &s.total, &s.mean) == 3;
}

// The lines of a MIM results file without the clock lines.
std::string without_job_times(const std::string& text) {
  std::string kept;
  for (const std::string& line : split_lines(text)) {
    if (line.rfind("Job Start = ", 0) != 0) kept += line + "\n";
  }
  return kept;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    fs::copy(example_path("normal_faults.fdt"), path("normal.fdt"));
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string path(const std::string& name) { return folder_ + "/" + name; }
  ProgramRun run(const std::string& program, const std::vector<std::string>& arguments,
                 int seconds = 300) {
    return run_program_with_arguments(program, folder_, arguments, seconds);
  }
  ProgramRun dialogue(const std::string& program, const std::string& input,
                      const std::string& subfolder = "") {
    return run_program(program, folder_ + subfolder, input);
  }

  // Every file of the folder with its contents.
  std::map<std::string, std::string> folder_contents() {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      std::string name = entry.path().filename().string();
      files[name] = entry.is_directory() ? "(folder)" : read_file(entry.path().string());
    }
    return files;
  }

  std::string folder_;
};

TEST_F(CommandLineTest, OptionRunsWriteTheFilesOfTheDialogue) {
  ASSERT_EQ(dialogue("sorvel", "normal.fdt\ndialogue.cdm\n2\n").status, 0);
  ProgramRun r = run("sorvel", {"--weight", "linear", "normal.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(read_file(path("normal.cdm")), read_file(path("dialogue.cdm")));
  EXPECT_EQ(r.errors, "");
  // Resampling that lasts over a second adds its own progress lines (a
  // slow machine, a sanitizer build): the dialogue's lines are the others.
  std::vector<std::string> lines;
  for (const std::string& line : split_lines(r.output))
    if (line.rfind("   * Resampling", 0) != 0) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(r.output.substr(0, CDM_PROGRESS.size()), CDM_PROGRESS);
  EXPECT_EQ(lines[5].rfind("  Best stress state: sigma1 ", 0), 0u) << lines[5];

  ASSERT_EQ(dialogue("sorvel-cim", "normal.fdt\ndialogue.cim\n3\n").status, 0);
  r = run("sorvel-cim", {"--weight=3", "--quiet", "normal.fdt", "option.cim"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(read_file(path("option.cim")), read_file(path("dialogue.cim")));
  EXPECT_EQ(split_lines(r.output).size(), 1u) << "--quiet leaves the summary line only";

  ASSERT_EQ(dialogue("sorvel-mim", "normal.fdt\ndialogue.mim\n4\n4\n").status, 0);
  r = run("sorvel-mim", {"--k", "4", "--weight", "hyperbolic-tangent", "normal.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  std::string option_file = read_file(path("normal.mim"));
  EXPECT_EQ(without_job_times(option_file), without_job_times(read_file(path("dialogue.mim"))));
  EXPECT_NE(option_file.find("Data = normal.fdt"), std::string::npos);
  // C(16, 4) = 1820 subsets: one progress line after the first 1000.
  EXPECT_NE(r.output.find(" 1000 /     1820\n"), std::string::npos) << r.output;

  for (const char* form : {"fixed", "whole"}) {
    fs::create_directory(path("dialogue"));
    ASSERT_EQ(dialogue("sorvel-grid", form[0] == 'f' ? "r\n" : "i\n", "/dialogue").status, 0);
    r = run("sorvel-grid", {std::string("--") + form});
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const char* name : {"gridpoints.txt", "stresstensors.txt"}) {
      EXPECT_EQ(read_file(path(name)), read_file(path("dialogue/") + name)) << form << name;
    }
    EXPECT_NE(r.output.find(" progress = 50000 / 59400\n"), std::string::npos);
    fs::remove_all(path("dialogue"));
  }
}

// The best state of the summary is the last line of the CDM file and the
// first row of the CIM file; its mean score is checked against the misfit
// angles that the CIM file lists for that state.
TEST_F(CommandLineTest, SummaryLineAgreesWithTheResultsFiles) {
  ProgramRun cdm = run("sorvel", {"--weight", "1", "--quiet", "normal.fdt"});
  ProgramRun cim = run("sorvel-cim", {"--weight", "cosine", "--quiet", "normal.fdt"});
  ASSERT_EQ(cdm.status, 0);
  ASSERT_EQ(cim.status, 0);
  // sorvel's line goes on with the regime and the confidence.
  ASSERT_FALSE(cim.output.empty());
  EXPECT_EQ(cdm.output.substr(0, cim.output.size() - 1), cim.output.substr(0, cim.output.size() - 1));
  Summary s{};
  ASSERT_TRUE(parse_best_state(split_lines(cdm.output).at(0), s)) << cdm.output;

  CdmLine last = parse_cdm_line(split_lines(read_file(path("normal.cdm"))).back());
  EXPECT_EQ(s.s1_azimuth, last.s1_azimuth);
  EXPECT_EQ(s.s1_plunge, last.s1_plunge);
  EXPECT_EQ(s.s3_azimuth, last.s3_azimuth);
  EXPECT_EQ(s.s3_plunge, last.s3_plunge);
  EXPECT_EQ(s.phi_tenths, last.phi_tenths);
  // sigma2 is the downward axis perpendicular to both, up to the rounding
  // of all three to whole degrees.
  EXPECT_NEAR(axis_angle(s.s2_azimuth, s.s2_plunge, s.s1_azimuth, s.s1_plunge), 90.0, 1.5);
  EXPECT_NEAR(axis_angle(s.s2_azimuth, s.s2_plunge, s.s3_azimuth, s.s3_plunge), 90.0, 1.5);
  EXPECT_GE(s.s2_plunge, 0);
  EXPECT_GT(s.s1_plunge, 60) << "normal faults: sigma1 steep";

  // Under the cosine function a score is 100 cos(misfit); the file's
  // misfits are whole degrees, which moves each score by less than 1 for
  // the small misfits of a best fit.
  std::vector<std::string> rows = split_lines(read_file(path("normal.cim")));
  ASSERT_GE(rows.size(), 2u);
  const std::string& best = rows[1];
  ASSERT_EQ(best.size(), 26u + 4u * 16u);
  double sum = 0.0;
  for (int j = 0; j < 16; ++j)
    sum += 100.0 * std::cos(pi_times_over_180(std::stoi(best.substr(26 + 4 * j, 4))));
  EXPECT_NEAR(s.mean, sum / 16.0, 1.0);
  EXPECT_GT(s.mean, 90.0);

  write_file(path("empty.fdt"), "");
  ProgramRun none = run("sorvel", {"--weight", "2", "--quiet", "empty.fdt"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.output, "  Best stress state: none (no data)\n");
}

TEST_F(CommandLineTest, MostVotedStateAgreesWithTheMimFile) {
  ProgramRun r = run("sorvel-mim", {"--weight", "1", "--k", "3", "--quiet", "normal.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  Summary s{};
  ASSERT_TRUE(parse_most_voted(split_lines(r.output).front(), s)) << r.output;
  // The voted lines follow the 16 data, "59400 11" and their count.
  std::vector<std::string> lines = split_lines(read_file(path("normal.mim")));
  int voted = std::stoi(lines.at(18));
  int32_t winner = 0, most = 0;
  long long total = 0;
  for (int v = 0; v < voted; ++v) {
    int32_t index = std::stoi(lines.at(19 + v).substr(0, 9));
    int32_t votes = std::stoi(lines.at(19 + v).substr(9, 9));
    total += votes;
    if (votes > most) {
      winner = index;
      most = votes;
    }
  }
  EXPECT_EQ(total, 560) << "every one of the C(16, 3) subsets votes once";
  EXPECT_EQ(s.total, total);
  EXPECT_EQ(s.votes, most);
  EXPECT_NEAR(s.mean, 100.0 * most / total, 0.05);
  GridPointAxes axes = axes_of_gridpoint(grid_point(winner));
  Orientation s1 = downward_axis(axes.sigma1), s3 = downward_axis(axes.sigma3);
  EXPECT_EQ(s.s1_azimuth, whole_degrees(s1.azimuth));
  EXPECT_EQ(s.s1_plunge, whole_degrees(s1.plunge));
  EXPECT_EQ(s.s3_azimuth, whole_degrees(s3.azimuth));
  EXPECT_EQ(s.s3_plunge, whole_degrees(s3.plunge));
  EXPECT_EQ(s.phi_tenths, round_half_away(10.0f * grid_point(winner).stress_ratio));
}

// Each refusal: its status, its first line on standard error (a usage
// error adds the usage line), nothing on standard output, and the folder
// exactly as it was.
TEST_F(CommandLineTest, RefusalsAndTheirExitStatus) {
  fs::create_directory(path("folder.fdt"));
  write_file(path("normal.cdm"), "earlier results\n");
  write_file(path("site.cim"), "90 60 180 0 D\n");
  struct Case {
    std::string program;
    std::vector<std::string> arguments;
    int status;
    std::string first_line;
  } cases[] = {
      {"sorvel", {"--weight", "1", "--bogus", "normal.fdt"}, 2, "sorvel: unknown option --bogus"},
      {"sorvel", {"normal.fdt", "--weight"}, 2, "sorvel: missing value of --weight"},
      {"sorvel", {"--weight", "--overwrite", "normal.fdt"}, 2, "sorvel: missing value of --weight"},
      {"sorvel", {"--weight", "1", "normal.fdt", "a.cdm", "b"}, 2, "sorvel: extra argument b"},
      {"sorvel", {"--overwrite", "normal.fdt"}, 2, "sorvel: --weight is required"},
      {"sorvel",
       {"--weight", "5", "normal.fdt"},
       2,
       "sorvel: invalid weight function 5 (1 to 4, or cosine, linear, tangent, "
       "hyperbolic-tangent)"},
      {"sorvel", {"--weight", "1"}, 2, "sorvel: no data file given"},
      {"sorvel",
       {"--weight", "1", "--threads", "0", "normal.fdt"},
       2,
       "sorvel: invalid thread count 0 (1 to 1024)"},
      {"sorvel", {"--weight", "1", "--k", "3", "normal.fdt"}, 2, "sorvel: unknown option --k"},
      {"sorvel",
       {"--quiet=yes", "--weight", "1", "normal.fdt"},
       2,
       "sorvel: --quiet takes no value"},
      {"sorvel-mim", {"--weight", "1", "normal.fdt"}, 2, "sorvel-mim: --k is required"},
      {"sorvel-mim",
       {"--weight", "1", "--k", "9", "normal.fdt"},
       2,
       "sorvel-mim: invalid subset size 9 (2 to 8)"},
      {"sorvel-grid", {"--quiet"}, 2, "sorvel-grid: one of --fixed and --whole is required"},
      {"sorvel-grid",
       {"--fixed", "--whole"},
       2,
       "sorvel-grid: one of --fixed and --whole is required"},
      {"sorvel-grid", {"--fixed", "listing"}, 2, "sorvel-grid: extra argument listing"},
      {"sorvel", {"--weight", "1", "missing.fdt"}, 1, "sorvel: data file not found: missing.fdt"},
      {"sorvel-cim",
       {"--weight", "1", "folder.fdt"},
       1,
       "sorvel-cim: data file is a folder: folder.fdt"},
      {"sorvel",
       {"--weight", "1", "normal.fdt"},
       1,
       "sorvel: results file exists (--overwrite replaces it): normal.cdm"},
      {"sorvel",
       {"--weight", "1", "normal.fdt", "no-such-folder/r.cdm"},
       1,
       "sorvel: folder of the results file not found: no-such-folder/r.cdm"},
      {"sorvel-mim",
       {"--weight", "1", "--k", "3", "normal.fdt", "folder.fdt"},
       1,
       "sorvel-mim: results file is a folder: folder.fdt"},
      {"sorvel-cim",
       {"--weight", "1", "--overwrite", "site.cim"},
       1,
       "sorvel-cim: results file is the data file: site.cim"},
  };
  const std::map<std::string, std::string> before = folder_contents();
  for (const Case& c : cases) {
    ProgramRun r = run(c.program, c.arguments, 30);
    std::string what = c.program + " " + c.first_line;
    EXPECT_EQ(r.status, c.status) << what;
    std::vector<std::string> lines = split_lines(r.errors);
    ASSERT_EQ(lines.size(), c.status == 2 ? 2u : 1u) << what << "\n" << r.errors;
    EXPECT_EQ(lines[0], c.first_line);
    if (c.status == 2) {
      EXPECT_EQ(lines[1].rfind("usage: " + c.program + " --", 0), 0u) << lines[1];
    }
    EXPECT_EQ(r.output, "") << what;
    EXPECT_EQ(folder_contents(), before) << what;
  }
  // Consent replaces the earlier file.
  ProgramRun r = run("sorvel", {"--overwrite", "--weight", "1", "--quiet", "normal.fdt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(split_lines(read_file(path("normal.cdm"))).size(), 59400u);
}

// A failure is reported on standard error without the pause: the run ends
// although its standard input never closes, and leaves no results file.
TEST_F(CommandLineTest, ErrorRunEndsAtOnceWithStandardInputOpen) {
  write_file(path("bad.fdt"), "10 20 30 40 N\n10 20 30 40 N\n10 20 30 40 X\n");
  ProgramRun r = run("sorvel", {"--weight", "1", "bad.fdt"}, 20);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, " \n   * Initialization     *\n");
  EXPECT_EQ(r.errors, " \n   Error in the subprogram read_data_file" + std::string(66, ' ') +
                          "\n \n   Invalid sense in the line number         3\n"
                          "   datum 3 (file line 3): the sense \"X\" begins with none of N, R, S, D\n"
                          "   Execution terminated.\n");
  EXPECT_FALSE(file_exists(path("bad.cdm")));

  write_file(path("two.fdt"), "90 60 180 0 D\n90 30 90 30 N\n");
  r = run("sorvel-mim", {"--weight", "1", "--k", "3", "--quiet", "two.fdt"}, 20);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "");
  EXPECT_NE(r.errors.find("   Subset size exceeds the number of data\n   Execution terminated.\n"),
            std::string::npos)
      << r.errors;
  EXPECT_FALSE(file_exists(path("two.mim")));
}

// Every datum is checked before the grid: one warning a line on standard
// error, named by ordinal and file line, then their count; the report
// lists them. --strict refuses such a file, and the dialogue says nothing.
TEST_F(CommandLineTest, DataChecksWarnAndStrictRefuses) {
  write_file(path("doubtful.fdt"),
             "90 60 90 60 N\n\n90 95 270 85 N\n90 60\n270 -60 N\n"
             "90 60 180 0 right-lateral\n90 60 90 60 N\n90 30 90 30 N\n");
  const std::string warnings =
      "datum 2 (file line 3): dip 95 is outside 0 to 90\n"
      "datum 3 (file line 4): upward slip line (plunge -60): sense N is read as reverse; its "
      "downward end is 90.0/60.0\n"
      "datum 4 (file line 6): sense word \"right-lateral\" is read as R (reverse), by its first "
      "letter; write D for dextral\n"
      "datum 5 (file line 7): the same five values as datum 1 (file line 1)\n"
      "4 of 6 data have warnings (see above); --strict refuses such files\n";
  auto prefixed = [&](const std::string& name) {
    std::string text;
    for (const std::string& line : split_lines(warnings)) text += name + ": " + line + "\n";
    return text;
  };
  ProgramRun r = run("sorvel", {"--weight", "1", "--quiet", "--bootstrap", "0", "--report",
                                "doubtful.json", "doubtful.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.errors, prefixed("sorvel"));
  std::string json = read_file(path("doubtful.json"));
  EXPECT_NE(json.find("\"warnings\": [\n    {\"datum\":2,\"line\":3,\"text\":\"dip 95 is outside 0 to "
                      "90\"},\n"),
            std::string::npos)
      << json;
  r = run("sorvel", {"--weight", "1", "--quiet", "--bootstrap", "0", "--overwrite", "--report",
                     "doubtful.csv", "doubtful.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  std::vector<std::string> rows = split_lines(read_file(path("doubtful.csv")));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].substr(rows[0].size() - 9), ",warnings");
  EXPECT_EQ(rows[1].substr(rows[1].size() - 2), ",4");

  r = run("sorvel-cim", {"--weight", "1", "--quiet", "doubtful.fdt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.errors, prefixed("sorvel-cim"));
  const std::string refusal = "refused (--strict): no results file written\n";
  for (const std::string program : {"sorvel", "sorvel-cim", "sorvel-mim"}) {
    std::vector<std::string> arguments = {"--weight", "1", "--strict", "doubtful.fdt", "strict.out"};
    if (program == "sorvel-mim") arguments.insert(arguments.begin(), {"--k", "2"});
    r = run(program, arguments);
    EXPECT_EQ(r.status, 1) << program;
    EXPECT_EQ(r.output, "") << program;
    EXPECT_EQ(r.errors, prefixed(program) + program + ": " + refusal);
    EXPECT_FALSE(file_exists(path("strict.out"))) << program;
  }
  r = run("sorvel", {"--weight", "1", "--quiet", "--strict", "normal.fdt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.errors, "");

  ProgramRun d = dialogue("sorvel-cim", "doubtful.fdt\ndialogue.cim\n1\n");
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.errors, "");
  EXPECT_EQ(d.output.find("warning"), std::string::npos) << d.output;
  EXPECT_EQ(read_file(path("dialogue.cim")), read_file(path("doubtful.cim")));
}

// A data error of the command-line mode names the file line: after empty
// lines and a datum over two lines, and where lines hold no datum.
TEST_F(CommandLineTest, DataErrorsNameTheFileLine) {
  const std::string block_head =
      " \n   Error in the subprogram read_data_file" + std::string(66, ' ') + "\n \n";
  write_file(path("late.fdt"), "\n90 60 90\n60 N\n\n90 60 90 60 N\n90 sixty 90 60 N\n");
  ProgramRun r = run("sorvel", {"--weight", "1", "--quiet", "late.fdt"}, 20);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, block_head + "   Invalid data at line number         3\n"
                      "   datum 3 (file line 6): a value is not a number where a number is due\n"
                      "   Execution terminated.\n");
  write_file(path("ends.fdt"), "90 60 90\n60 N\n90 30 90 30 N\n\n");
  r = run("sorvel-cim", {"--weight", "1", "--quiet", "ends.fdt"}, 20);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, block_head + "   Invalid data at line number         3\n"
                      "   file line 4 is empty: the data file allows no empty line after the last "
                      "datum\n   Execution terminated.\n");
  EXPECT_FALSE(file_exists(path("ends.cim")));
}

TEST_F(CommandLineTest, HelpVersionAndNamesTakenAsGiven) {
  for (const char* program : {"sorvel", "sorvel-cim", "sorvel-mim", "sorvel-grid"}) {
    ProgramRun help = run(program, {"--help"}, 30);
    EXPECT_EQ(help.status, 0) << program;
    EXPECT_EQ(help.output.rfind("usage: " + std::string(program) + " --", 0), 0u) << help.output;
    EXPECT_NE(help.output.find(DATA_FORMAT_HELP), std::string::npos) << program;
    EXPECT_NE(help.output.find("Exit status: 0"), std::string::npos) << program;
    ProgramRun version = run(program, {"--version"}, 30);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, version_line(program) + "\n");
  }
  // No ".txt" is added to a name without an extension, as the dialogue does.
  fs::copy(path("normal.fdt"), path("site"));
  ProgramRun r = run("sorvel", {"--weight", "tangent", "--quiet", "--threads", "1", "site"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_TRUE(file_exists(path("site.cdm")));
  r = run("sorvel", {"--weight", "tangent", "--quiet", "--", "site", "out"});
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(read_file(path("out")), read_file(path("site.cdm")));
  EXPECT_FALSE(file_exists(path("out.txt")));
}

}  // namespace
