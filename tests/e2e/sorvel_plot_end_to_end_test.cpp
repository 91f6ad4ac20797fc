// The real sorvel-plot on results of the real sorvel: the picture is
// well-formed XML, the best state stands where the equal-area net puts
// it, the slip arrows tell normal from reverse faults, and every failure
// ends with one message and no picture.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "plot/picture_reading.h"
#include "plot/stereonet.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

struct Arrow {
  double tail_distance, tip_distance;  // from the centre of the net
};

// The straight slip arrows: a line from the slip point towards the tip.
std::vector<Arrow> slip_arrows(const std::string& svg) {
  std::string g = group_text(svg, "slip-arrows");
  std::regex line("<line x1=\"([-0-9.]+)\" y1=\"([-0-9.]+)\" x2=\"([-0-9.]+)\" y2=\"([-0-9.]+)\"");
  std::vector<Arrow> arrows;
  for (std::sregex_iterator i(g.begin(), g.end(), line), end; i != end; ++i) {
    auto d = [](double x, double y) {
      return std::hypot(x - NET_FRAME.centre_x, y - NET_FRAME.centre_y);
    };
    arrows.push_back(Arrow{d(std::stod((*i)[1]), std::stod((*i)[2])),
                           d(std::stod((*i)[3]), std::stod((*i)[4]))});
  }
  return arrows;
}

// An axis "123/45" of the caption after the given label.
bool caption_axis(const std::string& svg, const std::string& label, int& azimuth, int& plunge) {
  std::smatch m;
  if (!std::regex_search(svg, m, std::regex(label + " ([0-9]{3})/([0-9]{2})"))) return false;
  azimuth = std::stoi(m[1]);
  plunge = std::stoi(m[2]);
  return true;
}

const std::string SIGMA = "\xcf\x83";

class SorvelPlotTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  // Copies an example and analyses it with the real sorvel (cosine weights).
  void analyse(const std::string& example, const std::string& results) {
    std::filesystem::copy_file(example_path(example), path(example));
    ProgramRun r = run_program("sorvel", folder_, example + "\n" + results + "\n1\n");
    ASSERT_EQ(r.status, 0) << r.output;
  }

  // Nothing but the given files is left in the folder.
  void expect_only(const std::set<std::string>& names) {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      found.insert(entry.path().filename().string());
    EXPECT_EQ(found, names);
  }

  std::string folder_;
};

TEST_F(SorvelPlotTest, CdmPictureOfNormalFaults) {
  analyse("normal_faults.fdt", "normal.cdm");
  PlotRun r = run_plot(folder_, "normal_faults.fdt normal.cdm");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "sorvel-plot: picture written to normal.svg\n");
  EXPECT_EQ(r.err, "");
  std::string svg = read_file(path("normal.svg"));
  EXPECT_EQ(xml_problem(svg), "");

  // The best state is the last line of the results file.
  CdmLine best = parse_cdm_line(split_lines(read_file(path("normal.cdm"))).back());
  expect_at(translation_of(svg, "best-sigma1"), expected_point(best.s1_azimuth, best.s1_plunge),
            "sigma1");
  expect_at(translation_of(svg, "best-sigma3"), expected_point(best.s3_azimuth, best.s3_plunge),
            "sigma3");
  // Normal faulting: sigma1 is steep.
  EXPECT_GE(best.s1_plunge, 60);

  // Sigma2 is perpendicular to both (within the rounding to whole degrees)
  // and drawn where its caption says.
  int az = 0, pl = 0;
  ASSERT_TRUE(caption_axis(svg, SIGMA + "2", az, pl));
  EXPECT_NEAR(axis_angle(az, pl, best.s1_azimuth, best.s1_plunge), 90.0, 1.5);
  EXPECT_NEAR(axis_angle(az, pl, best.s3_azimuth, best.s3_plunge), 90.0, 1.5);
  expect_at(translation_of(svg, "best-sigma2"), expected_point(az, pl), "sigma2");
  char phi[32];
  std::snprintf(phi, sizeof phi, "%d.%d", best.phi_tenths / 10, best.phi_tenths % 10);
  EXPECT_NE(svg.find("Best stress state: " + SIGMA + "1 "), std::string::npos);
  EXPECT_NE(svg.find(std::string("\xce\xa6 = ") + phi + ", fitness " +
                     std::to_string(best.fitness)),
            std::string::npos);
  EXPECT_NE(svg.find("Data: normal_faults.fdt, 16 faults"), std::string::npos);

  // One great circle per fault, ending on the primitive circle.
  std::string planes = group_text(svg, "fault-planes");
  EXPECT_EQ(count_of(planes, "<polyline"), 16u);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(planes, m, std::regex("points=\"([-0-9.]+),([-0-9.]+) ")));
  EXPECT_NEAR(std::hypot(std::stod(m[1]) - NET_FRAME.centre_x,
                         std::stod(m[2]) - NET_FRAME.centre_y),
              NET_FRAME.radius, 0.01);

  // The hanging wall of a normal fault moves down: every arrow points out.
  std::vector<Arrow> arrows = slip_arrows(svg);
  ASSERT_EQ(arrows.size(), 16u);
  for (const Arrow& a : arrows) EXPECT_GT(a.tip_distance, a.tail_distance);

  // The best 1 %: 594 sigma1 and 594 sigma3 symbols; the Phi bars count them.
  EXPECT_EQ(count_of(group_text(svg, "best-share"), "<circle"), 2u * 594u);
  std::string chart = group_text(svg, "phi-chart");
  long counted = 0;
  std::regex count_label(">([0-9]+)</text>");
  for (std::sregex_iterator i(chart.begin(), chart.end(), count_label), end; i != end; ++i)
    counted += std::stol((*i)[1]);
  EXPECT_EQ(counted, 594);
  EXPECT_NE(chart.find("id=\"phi-bar-" + std::to_string(best.phi_tenths) + "\" fill=\"#303030\""),
            std::string::npos);
}

TEST_F(SorvelPlotTest, ReverseFaultsGetInwardArrowsAndStrikeSlipFaultsCouples) {
  analyse("thrust_faults.fdt", "thrust.cdm");
  ASSERT_EQ(run_plot(folder_, "thrust_faults.fdt thrust.cdm thrust.svg").status, 0);
  std::string svg = read_file(path("thrust.svg"));
  EXPECT_EQ(xml_problem(svg), "");
  std::vector<Arrow> arrows = slip_arrows(svg);
  ASSERT_EQ(arrows.size(), 16u);
  for (const Arrow& a : arrows) EXPECT_LT(a.tip_distance, a.tail_distance);
  CdmLine best = parse_cdm_line(split_lines(read_file(path("thrust.cdm"))).back());
  EXPECT_GE(best.s3_plunge, 60);  // thrusting: sigma3 is steep

  analyse("strike_slip_faults.fdt", "wrench.cdm");
  ASSERT_EQ(run_plot(folder_, "strike_slip_faults.fdt wrench.cdm").status, 0);
  svg = read_file(path("wrench.svg"));
  EXPECT_EQ(xml_problem(svg), "");
  EXPECT_TRUE(slip_arrows(svg).empty());
  EXPECT_EQ(count_of(group_text(svg, "slip-arrows"), "<polyline"), 2u * 16u);
}

// A plane striking north-south and dipping east: with dextral slip its
// eastern (hanging) wall moves south, with sinistral slip north. Seen from
// above, the couple of arrows at the slip point turns clockwise for
// dextral slip and anticlockwise for sinistral slip, whichever end of the
// horizontal slip line it is drawn at.
TEST_F(SorvelPlotTest, StrikeSlipCoupleTurnsWithTheSenseOfSlip) {
  for (const char* sense : {"D", "S"}) {
    std::string name = std::string("one_") + sense;
    write_file(path(name + ".fdt"), std::string("90 60 180 0 ") + sense + "\n");
    ASSERT_EQ(run_program("sorvel", folder_, name + ".fdt\n" + name + ".cdm\n1\n").status, 0);
    ASSERT_EQ(run_plot(folder_, name + ".fdt " + name + ".cdm").status, 0);
    std::string arrows = group_text(read_file(path(name + ".svg")), "slip-arrows");
    std::regex arm("points=\"([-0-9.]+),([-0-9.]+) ([-0-9.]+),([-0-9.]+) ");
    struct Arm { double x, y, dx, dy; };  // midpoint and direction, picture coordinates
    std::vector<Arm> arms;
    for (std::sregex_iterator i(arrows.begin(), arrows.end(), arm), end; i != end; ++i) {
      double x1 = std::stod((*i)[1]), y1 = std::stod((*i)[2]);
      double x2 = std::stod((*i)[3]), y2 = std::stod((*i)[4]);
      arms.push_back(Arm{(x1 + x2) / 2, (y1 + y2) / 2, x2 - x1, y2 - y1});
    }
    ASSERT_EQ(arms.size(), 2u) << sense;
    auto distance = [](const Arm& a) {
      return std::hypot(a.x - NET_FRAME.centre_x, a.y - NET_FRAME.centre_y);
    };
    const Arm& outer = distance(arms[0]) > distance(arms[1]) ? arms[0] : arms[1];
    const Arm& inner = &outer == &arms[0] ? arms[1] : arms[0];
    EXPECT_LT(outer.dx * inner.dx + outer.dy * inner.dy, 0.0) << sense;  // opposite arms
    // From the inner to the outer arm, then along the outer arm: with y
    // pointing down the picture, a positive cross product turns clockwise.
    double turn = (outer.x - inner.x) * outer.dy - (outer.y - inner.y) * outer.dx;
    if (std::string(sense) == "D") EXPECT_GT(turn, 0.0);
    else EXPECT_LT(turn, 0.0);
  }
}

TEST_F(SorvelPlotTest, DefaultPictureNameReplacesTheExtension) {
  analyse("normal_faults.fdt", "run.cdm");
  std::filesystem::copy_file(path("run.cdm"), path("plain"));
  EXPECT_EQ(run_plot(folder_, "normal_faults.fdt run.cdm").out,
            "sorvel-plot: picture written to run.svg\n");
  EXPECT_EQ(run_plot(folder_, "normal_faults.fdt plain").out,
            "sorvel-plot: picture written to plain.svg\n");
  expect_only({"normal_faults.fdt", "run.cdm", "run.svg", "plain", "plain.svg"});
}

TEST_F(SorvelPlotTest, EveryFailureIsOneMessageAndNoPicture) {
  analyse("normal_faults.fdt", "good.cdm");
  write_file(path("bad.fdt"), "48 70 122 39 N\n275 53 280 53 N\n178 58 154 56 X\n");
  std::string good = read_file(path("good.cdm"));
  write_file(path("short.cdm"), good.substr(0, 1000 * 25));
  std::string broken = good;
  broken[16 * 25 + 5] = 'x';
  write_file(path("broken.cdm"), broken);
  write_file(path("two.mim"), "      2\n 90.0 60.0 180.0  0.0 D\n 90.0 30.0  90.0 30.0 N\n"
                              "       59400   11\n           0\nData = x\n k =  2\n"
                              "Function = cosine\nJob Start = a\nJob Start = b\n");
  write_file(path("old.svg"), "<svg/>");
  struct Case { std::string arguments, message; };
  for (const Case& c : {
           Case{"missing.fdt good.cdm old.svg", "missing.fdt: Data file not found"},
           Case{"bad.fdt good.cdm old.svg", "bad.fdt: Invalid sense in the line number 3"},
           Case{"normal_faults.fdt none.cdm old.svg", "none.cdm: Results file not found"},
           Case{"normal_faults.fdt normal_faults.fdt old.svg",
                "normal_faults.fdt: neither a CDM nor a MIM results file"},
           Case{"normal_faults.fdt short.cdm old.svg",
                "short.cdm: CDM results file: 1000 lines, 59400 expected"},
           Case{"normal_faults.fdt broken.cdm old.svg",
                "broken.cdm: CDM results file: line 17 is not a line of 6 numbers in 24 columns"},
           Case{"normal_faults.fdt two.mim old.svg",
                "two.mim: made from 2 data, but normal_faults.fdt holds 16"},
           Case{"normal_faults.fdt good.cdm good.cdm",
                "good.cdm: the picture would replace an input file"},
           Case{"normal_faults.fdt good.cdm nofolder/x.svg",
                "nofolder/x.svg: the picture cannot be written"},
       }) {
    PlotRun r = run_plot(folder_, c.arguments);
    EXPECT_EQ(r.status, 1) << c.arguments;
    EXPECT_EQ(r.err, "sorvel-plot: " + c.message + "\n") << c.arguments;
    EXPECT_EQ(r.out, "") << c.arguments;
  }
  EXPECT_EQ(read_file(path("old.svg")), "<svg/>");
  EXPECT_EQ(read_file(path("good.cdm")), good);
  expect_only({"normal_faults.fdt", "good.cdm", "bad.fdt", "short.cdm", "broken.cdm", "two.mim",
               "old.svg"});
}

// The picture as a browser shows it: rendered by librsvg and not blank.
TEST_F(SorvelPlotTest, PictureRendersToAnImageThatIsNotBlank) {
  if (std::system("command -v rsvg-convert > /dev/null 2>&1 && command -v python3 > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert (Debian package librsvg2-bin) or python3 is not installed";
  analyse("normal_faults.fdt", "normal.cdm");
  ASSERT_EQ(run_plot(folder_, "normal_faults.fdt normal.cdm").status, 0);
  std::string command = std::string("'") + SORVEL_SOURCE_DIR + "/tools/render_check.sh' --no-install '" +
                        path("normal.svg") + "' > '" + path("render.txt") + "' 2>&1";
  int raw = std::system(command.c_str());
  EXPECT_TRUE(raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << read_file(path("render.txt"));
  EXPECT_NE(read_file(path("render.txt")).find("1020x740"), std::string::npos);

  write_file(path("blank.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"50\" height=\"50\"/>");
  command = std::string("'") + SORVEL_SOURCE_DIR + "/tools/render_check.sh' --no-install '" +
            path("blank.svg") + "' > /dev/null 2>&1";
  raw = std::system(command.c_str());
  EXPECT_TRUE(raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) == 1);  // the check can fail
}

}  // namespace
