// The real sorvel-mim and then the real sorvel-plot, without the run's
// report, on data mixed from known stress states: sorvel-plot names the
// populations sorvel-mim names, one per population, near the state that
// made it, with most of that population's data given to it; the options
// change the count as documented; the picture shows it all in a few
// thousand elements; the command line is checked before any file.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "plot/picture_reading.h"
#include "shell/program_info.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

struct FoundState {
  int s1_azimuth, s1_plunge, s2_azimuth, s2_plunge, s3_azimuth, s3_plunge;
  int data, votes;
};

struct Report {
  std::vector<FoundState> states;
  std::vector<int> state_of_datum;  // 0 for none
  bool well_formed = true;          // every line in its exact form
};

// The lines of sorvel-plot's standard output for a MIM results file: the
// count, one line a population, one line a datum, and the last line.
Report read_report(const std::string& out) {
  static const std::regex count_line("  Populations: [0-9]+ \\(.*");
  static const std::regex state_line(
      "  Population ([0-9]+): sigma1 ([0-9]{3})/([0-9]{2}), sigma2 ([0-9]{3})/([0-9]{2}), "
      "sigma3 ([0-9]{3})/([0-9]{2}), Phi [01]\\.[0-9], regime [A-Z]{1,2}, SHmax [0-9a-z]+, "
      "R' [0-9]\\.[0-9], data ([0-9]+) \\(alone [0-9]+\\), mean misfit [0-9.]+, votes ([0-9]+).*");
  static const std::regex datum_line("  Datum ([0-9]+): (Population ([0-9]+), misfit [0-9]+|none)");
  Report r;
  std::smatch m;
  std::vector<std::string> lines = split_lines(out);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (i == 0 && std::regex_match(lines[i], count_line)) continue;
    if (std::regex_match(lines[i], m, state_line) && !r.state_of_datum.size() &&
        std::stoul(m[1]) == r.states.size() + 1) {
      r.states.push_back({std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5]),
                          std::stoi(m[6]), std::stoi(m[7]), std::stoi(m[8]), std::stoi(m[9])});
    } else if (std::regex_match(lines[i], m, datum_line) &&
               std::stoul(m[1]) == r.state_of_datum.size() + 1) {
      r.state_of_datum.push_back(m[3].matched ? std::stoi(m[3]) : 0);
    } else {
      r.well_formed = false;
    }
  }
  return r;
}

double axis_distance(const FoundState& f, const StressState& s) {
  return std::max(axis_angle(f.s1_azimuth, f.s1_plunge, s.sigma1_azimuth, s.sigma1_plunge),
                  axis_angle(f.s3_azimuth, f.s3_plunge, s.sigma3_azimuth, s.sigma3_plunge));
}

struct Population {
  StressState state;
  int count;
  unsigned seed;
  bool strike_slip_senses;
};

const Population NORMAL = {{0.0, 90.0, 10.0, 0.0, 0.5}, 25, 7, false};
const Population STRIKE_SLIP = {{45.0, 0.0, 135.0, 0.0, 0.5}, 25, 9, true};
const Population THRUST = {{100.0, 0.0, 10.0, 90.0, 0.5}, 22, 11, false};

class MimStatesTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  // The populations in this order in one data file, analysed by the real
  // sorvel-mim with k = 3 and the tangent weights.
  void analyse(const std::vector<Population>& populations) {
    std::string data;
    for (const Population& p : populations)
      data += synthetic_data_file(p.state, p.count, p.seed, p.strike_slip_senses);
    write_file(path("mixed.fdt"), data);
    ProgramRun mim = run_program_with_arguments(
        "sorvel-mim", folder_, {"--weight", "3", "--k", "3", "--quiet", "mixed.fdt", "mixed.mim"});
    ASSERT_EQ(mim.status, 0) << mim.errors;
    mim_lines_ = mim.output.substr(mim.output.find('\n') + 1);  // after the most-voted line
  }

  Report plot(const std::string& options = "") {
    PlotRun r = run_plot(folder_, options + " mixed.fdt mixed.mim");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Report report = read_report(r.out);
    EXPECT_TRUE(report.well_formed) << r.out;
    EXPECT_EQ(split_lines(r.out).back(), "sorvel-plot: picture written to mixed.svg");
    return report;
  }

  // One state per population within 15 degrees of both its axes, and at
  // least four in five of its data given to that state.
  void expect_one_state_each(const Report& r, const std::vector<Population>& populations) {
    ASSERT_EQ(r.states.size(), populations.size());
    size_t first = 0;
    std::vector<bool> taken(r.states.size(), false);
    for (const Population& p : populations) {
      size_t s = 0;
      while (s < r.states.size() && (taken[s] || axis_distance(r.states[s], p.state) >= 15.0)) ++s;
      ASSERT_LT(s, r.states.size()) << "no state near sigma1 " << p.state.sigma1_azimuth << "/"
                                    << p.state.sigma1_plunge;
      taken[s] = true;
      int assigned = 0;
      for (size_t i = first; i < first + size_t(p.count); ++i)
        assigned += r.state_of_datum.at(i) == int(s + 1);
      EXPECT_GE(5 * assigned, 4 * p.count) << "state " << s + 1;
      EXPECT_GE(r.states[s].data, assigned);
      first += size_t(p.count);
    }
    EXPECT_EQ(r.state_of_datum.size(), first);
  }

  std::string folder_;
  std::string mim_lines_;  // sorvel-mim's lines of the populations
};

TEST_F(MimStatesTest, TwoPopulationsGiveTwoStatesAndAPictureOfThem) {
  analyse({NORMAL, STRIKE_SLIP});
  Report r = plot();
  expect_one_state_each(r, {NORMAL, STRIKE_SLIP});
  for (size_t s = 1; s < r.states.size(); ++s) EXPECT_LE(r.states[s].data, r.states[s - 1].data);
  // The states sorvel-mim names, line for line.
  PlotRun again = run_plot(folder_, "mixed.fdt mixed.mim");
  EXPECT_EQ(again.out, mim_lines_ + "sorvel-plot: picture written to mixed.svg\n");
  for (const FoundState& f : r.states) {  // sigma2 completes the frame
    EXPECT_NEAR(axis_angle(f.s2_azimuth, f.s2_plunge, f.s1_azimuth, f.s1_plunge), 90.0, 1.5);
    EXPECT_NEAR(axis_angle(f.s2_azimuth, f.s2_plunge, f.s3_azimuth, f.s3_plunge), 90.0, 1.5);
  }

  std::string svg = read_file(path("mixed.svg"));
  EXPECT_EQ(xml_problem(svg), "");
  EXPECT_LT(count_of(svg, "<"), 3000u);  // light enough to open at once
  for (size_t s = 0; s < r.states.size(); ++s) {
    std::string id = "state-" + std::to_string(s + 1);
    const FoundState& f = r.states[s];
    expect_at(translation_of(svg, id + "-sigma1"), expected_point(f.s1_azimuth, f.s1_plunge), id);
    expect_at(translation_of(svg, id + "-sigma2"), expected_point(f.s2_azimuth, f.s2_plunge), id);
    expect_at(translation_of(svg, id + "-sigma3"), expected_point(f.s3_azimuth, f.s3_plunge), id);
  }
  // Each datum drawn in the colour of the state the report gives it.
  std::string colour[3];
  for (int s = 0; s < 3; ++s) {
    for (size_t i = 0; i < r.state_of_datum.size(); ++i) {
      if (r.state_of_datum[i] != s) continue;
      std::smatch m;
      std::string g = group_text(svg, "datum-" + std::to_string(i + 1));
      ASSERT_TRUE(std::regex_search(g, m, std::regex("data-state=\"([0-9]+)\" stroke=\"(#[0-9a-f]{6})\"")));
      EXPECT_EQ(std::stoi(m[1]), s);
      if (colour[s].empty()) colour[s] = m[2];
      EXPECT_EQ(m[2], colour[s]) << i + 1;
    }
  }
  EXPECT_NE(colour[1], colour[2]);
  // The vote density: shaded cells on both small nets, and the table.
  EXPECT_GT(count_of(group_text(svg, "density-sigma1"), "<rect"), 3u);
  EXPECT_GT(count_of(group_text(svg, "density-sigma3"), "<rect"), 3u);
  EXPECT_EQ(count_of(group_text(svg, "state-table"), "<text"), 8u * 3u);
}

TEST_F(MimStatesTest, ThreePopulationsGiveThreeStates) {
  analyse({NORMAL, STRIKE_SLIP, THRUST});
  Report r = plot();
  expect_one_state_each(r, {NORMAL, STRIKE_SLIP, THRUST});

  // Only the most-voted population holds all the votes it could; a
  // separation as wide as the measure merges every state into one; no fit
  // is tight enough for a misfit below one degree for most data; with no
  // limit every datum fits every state, none is explained by one state
  // alone, and the rule leaves one population.
  EXPECT_EQ(plot("--min-votes 1").states.size(), 1u);
  EXPECT_EQ(plot("--separation=179.9").states.size(), 1u);
  EXPECT_GE(plot("--min-votes 0").states.size(), 3u);
  Report tight = plot("--fit 1");
  int none = int(std::count(tight.state_of_datum.begin(), tight.state_of_datum.end(), 0));
  int any = int(std::count(r.state_of_datum.begin(), r.state_of_datum.end(), 0));
  EXPECT_GT(none, any);
  Report loose = plot("--fit 180");
  EXPECT_EQ(loose.states.size(), 1u);
}

TEST_F(MimStatesTest, OnePopulationGivesOneState) {
  analyse({STRIKE_SLIP});
  Report r = plot();
  expect_one_state_each(r, {STRIKE_SLIP});
}

TEST_F(MimStatesTest, CommandLine) {
  PlotRun r = run_plot(folder_, "--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, version_line("sorvel-plot") + "\n");
  r = run_plot(folder_, "--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: sorvel-plot [OPTIONS] DATA RESULTS [PICTURE]\n", 0), 0u);
  EXPECT_NE(r.out.find(DATA_FORMAT_HELP), std::string::npos);
  EXPECT_NE(r.out.find("Exit status"), std::string::npos);
  EXPECT_NE(r.out.find("  Datum 2: none "), std::string::npos);

  // Refused before any file is read: none of these files exists.
  const std::string usage = "usage: sorvel-plot [OPTIONS] DATA RESULTS [PICTURE]\n";
  struct Case { std::string arguments, message; };
  for (const Case& c : {
           Case{"--bogus a.fdt b.mim", "unknown option --bogus"},
           Case{"a.fdt b.mim --fit", "missing value of --fit"},
           Case{"--separation 0 a.fdt b.mim", "bad value for --separation: 0"},
           Case{"--min-votes=1.5 a.fdt b.mim", "bad value for --min-votes: 1.5"},
           Case{"--fit 20x a.fdt b.mim", "bad value for --fit: 20x"},
           Case{"", "expected DATA RESULTS [PICTURE] (see sorvel-plot --help)"},
           Case{"a b c d", "expected DATA RESULTS [PICTURE] (see sorvel-plot --help)"},
       }) {
    r = run_plot(folder_, c.arguments);
    EXPECT_EQ(r.status, 2) << c.arguments;
    EXPECT_EQ(r.err, "sorvel-plot: " + c.message + "\n" + usage) << c.arguments;
    EXPECT_EQ(r.out, "") << c.arguments;
  }
  // Options anywhere, and "--" before a file name that starts with a dash.
  r = run_plot(folder_, "--fit 20 -- -a.fdt b.mim");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "sorvel-plot: -a.fdt: Data file not found\n");
}

}  // namespace
