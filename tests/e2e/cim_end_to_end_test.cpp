// The real sorvel-cim, driven through a pipe: the console transcript, the
// layout of the results file, its agreement with the CDM file of the same
// run, and the misfit angles checked against the stress state that made
// the data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "geometry/vectors.h"

#include "support/console_transcript.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

std::string save_question(const std::string& proposed) {
  return save_question_for("CIM File (*.cim)", proposed);
}

std::string menu() { return weight_menu(); }

std::string echo(const std::string& data, const std::string& results) {
  return echo_lines(data, results);
}

const std::string PROGRESS =
    " \n   * Initialization     *\n   * Estimating Fitness *\n"
    "   * Sorting            *\n   * Writing Results    *\n";

const std::string HEADER =
    "                 fitness   sigma1axis_azimuth sigma1axis_plunge   "
    "sigma3axis_azimuth sigma3axis_plunge   stress_ratio_Phi_B";

const std::string FILE_ERROR =
    " \n   Error in the subprogram CDM_save_results" + std::string(64, ' ') +
    "\n \n   File I/O error\n   Execution terminated.\n  Press Enter to end the program. ";

// sigma1 steep to the NE, sigma3 in the same vertical plane, so the two
// axes are perpendicular: 180 - 70 - 20 = 90 degrees.
const StressState KNOWN_STATE = {35.0, 70.0, 215.0, 20.0, 0.4};

struct CimRow {
  int fitness, s1_azimuth, s1_plunge, s3_azimuth, s3_plunge;
  double phi;
  std::vector<int> misfits;  // degrees, one per datum in file order
};

int field(const std::string& row, size_t start, size_t width) {
  return std::stoi(row.substr(start, width));
}

CimRow parse_cim_row(const std::string& row) {
  CimRow r;
  r.fitness = field(row, 0, 8);
  r.s1_azimuth = field(row, 8, 4);
  r.s1_plunge = field(row, 12, 3);
  r.s3_azimuth = field(row, 15, 4);
  r.s3_plunge = field(row, 19, 3);
  r.phi = std::stod(row.substr(22, 4));
  for (size_t at = 26; at + 4 <= row.size(); at += 4) r.misfits.push_back(field(row, at, 4));
  return r;
}

// A field of `width` columns holding a right-aligned whole number.
bool is_int_field(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  for (size_t i = first; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

// --- A double-precision model of the stress state, for the misfit checks.


struct V {
  double x, y, z;
};
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V along(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
V minus(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V unit(V a) { return along(a, 1.0 / std::sqrt(dot(a, a))); }
V axis(double azimuth, double plunge) {
  double a = azimuth * DEGREE, p = plunge * DEGREE;
  return {std::cos(p) * std::sin(a), std::cos(p) * std::cos(a), -std::sin(p)};
}

// Downward normal of a plane given by dip direction and dip, degrees.
V plane_normal(double dip_direction, double dip) {
  double a = dip_direction * DEGREE, d = dip * DEGREE;
  return {-std::sin(a) * std::sin(d), -std::cos(a) * std::sin(d), -std::cos(d)};
}

// Shear traction of S = e1 e1^T + phi e2 e2^T on the plane of normal n.
// The axes written in the file are whole degrees, so sigma3 is made
// perpendicular to sigma1 before sigma2 is taken.
V shear_traction(V e1, V e3, double phi, V n) {
  e1 = unit(e1);
  e3 = unit(minus(e3, along(e1, dot(e1, e3))));
  V e2 = cross(e3, e1);
  V t = V{e1.x * dot(e1, n), e1.y * dot(e1, n), e1.z * dot(e1, n)};
  t = {t.x + phi * e2.x * dot(e2, n), t.y + phi * e2.y * dot(e2, n), t.z + phi * e2.z * dot(e2, n)};
  return minus(t, along(n, dot(t, n)));
}

double angle_degrees(V a, V b) {
  double c = dot(a, b) / std::sqrt(dot(a, a) * dot(b, b));
  return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / DEGREE;
}

struct Plane {
  double dip_direction, dip;
};

std::vector<Plane> planes_of(const std::string& data_file_text) {
  std::vector<Plane> planes;
  for (const std::string& line : split_lines(data_file_text)) {
    Plane p;
    std::istringstream(line) >> p.dip_direction >> p.dip;
    planes.push_back(p);
  }
  return planes;
}

class CimEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  ProgramRun run(const std::string& program, const std::string& input,
                 const std::string& prefix = "") {
    return run_program(program, folder_, input, prefix);
  }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  // Runs sorvel-cim on `data` with weight function `id`, returns the rows.
  std::vector<std::string> cim_rows(const std::string& data, int id) {
    ProgramRun r = run("sorvel-cim", data + "\nout.cim\n" + std::to_string(id) + "\n");
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> lines = split_lines(read_file(path("out.cim")));
    std::filesystem::remove(path("out.cim"));
    EXPECT_EQ(lines.size(), 59401u);
    if (lines.empty()) return lines;
    EXPECT_EQ(lines[0], HEADER);
    lines.erase(lines.begin());
    return lines;
  }

  std::string folder_;
};

TEST_F(CimEndToEndTest, WholeTranscriptOfASuccessfulRun) {
  write_file(path("data.fdt"), "90 60 180 0 D\n90 30 90 30 N\n");
  ProgramRun r = run("sorvel-cim", "data.fdt\n\n1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("data.cim") +
                          echo("data.fdt", "data.cim") + menu() + " " +
                          "  Weight function = cosine" + std::string(34, ' ') + "\n" + PROGRESS);
  EXPECT_TRUE(file_exists(path("data.cim")));
}

TEST_F(CimEndToEndTest, StartUpStopsAsTheMainProgramDoes) {
  ProgramRun r = run("sorvel-cim", "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + "\n No data file specified --- Execution terminated.\n");
  r = run("sorvel-cim", "missing.fdt\n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("missing.cim") +
                          "   Specified data file not found --- Execution terminated.\n");
  EXPECT_FALSE(file_exists(path("missing.cim")));

  write_file(path("data.fdt"), "90 60 180 0 D\n");
  write_file(path("old.cim"), "earlier results\n");
  r = run("sorvel-cim", "data.fdt\nold.cim\nY\n1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, BANNER + OPEN_QUESTION + save_question("data.cim") +
                          "   Specified file to save already exists. \n"
                          "  Do you really want to rewrite it?  < y / n > ");
  EXPECT_EQ(read_file(path("old.cim")), "earlier results\n");
  r = run("sorvel-cim", "data.fdt\nold.cim\ny\n1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(split_lines(read_file(path("old.cim"))).size(), 59401u);
}

TEST_F(CimEndToEndTest, WeightAndDataErrorsComeFromTheSharedStages) {
  write_file(path("data.fdt"), "10 20 30 40 N\n10 20 30 40 X\n");
  ProgramRun r = run("sorvel-cim", "data.fdt\n\n5\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("Error in the subprogram determine_weightfunc "), std::string::npos);
  EXPECT_EQ(r.output.find("Initialization"), std::string::npos);
  r = run("sorvel-cim", "data.fdt\n\n2\n");
  EXPECT_EQ(r.status, 1);
  std::string tail = "   * Initialization     *\n \n   Error in the subprogram read_data_file";
  EXPECT_NE(r.output.find(tail), std::string::npos);
  EXPECT_FALSE(file_exists(path("data.cim")));
}

// A results file that cannot be written is reported under the routine
// name of the CDM writer, leaves no partial or temporary file, and keeps
// an earlier file as it was. Here a folder has the chosen name and cannot
// be replaced by the file; a write that fails part way (under a file size
// limit, which needs a POSIX shell) is checked in reliability_test.cpp.
TEST_F(CimEndToEndTest, FolderAsResultsNameLeavesNoFileBehind) {
  std::filesystem::copy(example_path("normal_faults.fdt"), path("normal.fdt"));
  write_file(path("old.cim"), "earlier results\n");
  std::filesystem::create_directory(path("taken.cim"));
  ProgramRun r = run("sorvel-cim", "normal.fdt\ntaken.cim\ny\n1\n\n");
  EXPECT_EQ(r.status, 1);
  ASSERT_GE(r.output.size(), FILE_ERROR.size());
  EXPECT_EQ(r.output.substr(r.output.size() - FILE_ERROR.size()), FILE_ERROR);
  EXPECT_NE(r.output.find("   * Writing Results    *\n" + FILE_ERROR), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(path("taken.cim")));
  EXPECT_EQ(read_file(path("old.cim")), "earlier results\n");

  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 3) << "only normal.fdt, old.cim and taken.cim";
}

TEST_F(CimEndToEndTest, ResultsFileLayout) {
  std::filesystem::copy(example_path("normal_faults.fdt"), path("normal.fdt"));
  size_t data = split_lines(read_file(path("normal.fdt"))).size();
  ProgramRun r = run("sorvel-cim", "normal.fdt\n\n3\n");
  ASSERT_EQ(r.status, 0);
  std::string text = read_file(path("normal.cim"));
  // The header and every row end with one line end, the last row too,
  // and nothing follows it: 59 401 line ends and no empty line.
  ASSERT_EQ(text.back(), '\n');
  ASSERT_NE(text[text.size() - 2], '\n');
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 59401);
  std::vector<std::string> lines = split_lines(text);
  ASSERT_EQ(lines.size(), 59401u);
  EXPECT_EQ(lines[0], HEADER);
  EXPECT_EQ(lines[0].size(), 123u);
  int previous = -1;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& row = lines[i];
    ASSERT_EQ(row.size(), 26 + 4 * data) << i;
    for (size_t at : {0, 8, 12, 15, 19}) {
      size_t width = at == 0 ? 8 : (at == 12 || at == 19) ? 3 : 4;
      ASSERT_TRUE(is_int_field(row.substr(at, width))) << i << ": " << row;
    }
    std::string phi = row.substr(22, 4);
    ASSERT_TRUE(phi == " 1.0" || (phi.substr(0, 3) == " 0." && std::isdigit(phi[3]))) << row;
    CimRow c = parse_cim_row(row);
    if (previous >= 0) {
      ASSERT_LE(c.fitness, previous) << i;
    }
    previous = c.fitness;
    ASSERT_LE(c.s1_azimuth, 360);
    ASSERT_LE(c.s1_plunge, 90);
    ASSERT_LE(c.s3_azimuth, 360);
    ASSERT_LE(c.s3_plunge, 90);
    for (size_t j = 0; j < data; ++j) {
      ASSERT_TRUE(is_int_field(row.substr(26 + 4 * j, 4))) << i << ": " << row;
      ASSERT_LE(c.misfits[j], 180);
    }
  }
  EXPECT_GT(parse_cim_row(lines[1]).fitness, 0);
  EXPECT_EQ(parse_cim_row(lines.back()).fitness, 0);
}

// The CIM file lists the ranked grid from the top: row i is line
// 59 401 - i of the CDM file of the same data and weight function, which
// also fixes the reversed order of stress states of equal fitness.
TEST_F(CimEndToEndTest, AgreesWithTheCdmFileInReverseOrder) {
  write_file(path("synthetic.fdt"), synthetic_data_file(KNOWN_STATE, 25, 11));
  std::filesystem::copy(example_path("strike_slip_faults.fdt"), path("strike.fdt"));
  for (const char* data : {"synthetic.fdt", "strike.fdt"}) {
    for (int id : {1, 4}) {
      std::vector<std::string> rows = cim_rows(data, id);
      ProgramRun r = run("sorvel", std::string(data) + "\nout.cdm\n" + std::to_string(id) + "\n");
      ASSERT_EQ(r.status, 0);
      std::vector<std::string> cdm = split_lines(read_file(path("out.cdm")));
      std::filesystem::remove(path("out.cdm"));
      ASSERT_EQ(rows.size(), 59400u);
      ASSERT_EQ(cdm.size(), 59400u);
      int ties = 0;
      for (size_t i = 0; i < rows.size(); ++i) {
        CimRow c = parse_cim_row(rows[i]);
        CdmLine d = parse_cdm_line(cdm[cdm.size() - 1 - i]);
        ASSERT_EQ(c.fitness, d.fitness) << data << " " << id << " row " << i;
        ASSERT_EQ(c.s1_azimuth, d.s1_azimuth) << data << " " << id << " row " << i;
        ASSERT_EQ(c.s1_plunge, d.s1_plunge) << data << " " << id << " row " << i;
        ASSERT_EQ(c.s3_azimuth, d.s3_azimuth) << data << " " << id << " row " << i;
        ASSERT_EQ(c.s3_plunge, d.s3_plunge) << data << " " << id << " row " << i;
        ASSERT_EQ(std::lround(10 * c.phi), d.phi_tenths) << data << " " << id << " row " << i;
        if (i > 0 && c.fitness == parse_cim_row(rows[i - 1]).fitness) ++ties;
      }
      EXPECT_GT(ties, 1000) << "the comparison must cover stress states of equal fitness";
    }
  }
}

// Every misfit angle against a double-precision model of the row's own
// stress state: the observed slip of a synthetic datum is the shear
// direction of the state that made it, the predicted one that of the
// row's axes and Phi. The axes are written in whole degrees, so the model
// differs from the program's tensor by up to a degree per axis; planes of
// small shear, where the direction turns fast, are left out; on the rest
// the two agree to about 3 degrees, against tens of degrees for another
// stress state or another datum.
TEST_F(CimEndToEndTest, MisfitAnglesFollowTheStressStateOfTheRow) {
  std::string text = synthetic_data_file(KNOWN_STATE, 30, 5);
  write_file(path("synthetic.fdt"), text);
  std::vector<Plane> planes = planes_of(text);
  V e1 = axis(KNOWN_STATE.sigma1_azimuth, KNOWN_STATE.sigma1_plunge);
  V e3 = axis(KNOWN_STATE.sigma3_azimuth, KNOWN_STATE.sigma3_plunge);
  std::vector<V> observed;
  for (const Plane& p : planes)
    observed.push_back(shear_traction(e1, e3, KNOWN_STATE.phi, plane_normal(p.dip_direction, p.dip)));

  std::vector<std::string> rows = cim_rows("synthetic.fdt", 2);
  ASSERT_EQ(rows.size(), 59400u);
  int checked = 0;
  for (size_t i = 0; i < rows.size(); i += 37) {
    CimRow c = parse_cim_row(rows[i]);
    ASSERT_EQ(c.misfits.size(), planes.size());
    V r1 = axis(c.s1_azimuth, c.s1_plunge), r3 = axis(c.s3_azimuth, c.s3_plunge);
    for (size_t j = 0; j < planes.size(); ++j) {
      V n = plane_normal(planes[j].dip_direction, planes[j].dip);
      V predicted = shear_traction(r1, r3, c.phi, n);
      if (dot(predicted, predicted) < 0.2 * 0.2) continue;
      ASSERT_NEAR(c.misfits[j], angle_degrees(predicted, observed[j]), 6.0)
          << "row " << i << " datum " << j + 1 << ": " << rows[i];
      ++checked;
    }
  }
  EXPECT_GT(checked, 10000);
}

// Under the linear weight the score of a datum is 100 - 200 x / pi, so a
// row's fitness is, up to the shift of the lowest to 0, the sum of
// 100 - 10/9 D over its misfits D in degrees. Whole degrees and the
// rounding of the scores allow about one point per datum either way.
TEST_F(CimEndToEndTest, MisfitAnglesAddUpToTheFitnessOfTheirRow) {
  const int data = 40;
  write_file(path("synthetic.fdt"), synthetic_data_file(KNOWN_STATE, data, 3));
  std::vector<std::string> rows = cim_rows("synthetic.fdt", 2);
  double lowest = 1e9, highest = -1e9;
  for (const std::string& row : rows) {
    CimRow c = parse_cim_row(row);
    double sum = 0;
    for (int d : c.misfits) sum += 100.0 - 10.0 * d / 9.0;
    lowest = std::fmin(lowest, sum - c.fitness);
    highest = std::fmax(highest, sum - c.fitness);
  }
  EXPECT_LE(highest - lowest, 2 * 1.1 * data);
}

// The best stress state for data made from a known one nearly explains
// every datum, the worst one explains almost none.
TEST_F(CimEndToEndTest, BestRowOfSyntheticDataHasSmallMisfits) {
  write_file(path("synthetic.fdt"), synthetic_data_file(KNOWN_STATE, 40, 7));
  for (int id = 1; id <= 4; ++id) {
    std::vector<std::string> rows = cim_rows("synthetic.fdt", id);
    ASSERT_EQ(rows.size(), 59400u);
    CimRow best = parse_cim_row(rows.front());
    EXPECT_LT(axis_angle(best.s1_azimuth, best.s1_plunge, KNOWN_STATE.sigma1_azimuth,
                         KNOWN_STATE.sigma1_plunge), 10.0) << id;
    EXPECT_LT(axis_angle(best.s3_azimuth, best.s3_plunge, KNOWN_STATE.sigma3_azimuth,
                         KNOWN_STATE.sigma3_plunge), 10.0) << id;
    double sum = 0;
    int largest = 0;
    for (int d : best.misfits) {
      sum += d;
      largest = std::max(largest, d);
    }
    EXPECT_LT(sum / best.misfits.size(), 8.0) << id;
    EXPECT_LT(largest, 30) << id << ": " << rows.front();
    CimRow worst = parse_cim_row(rows.back());
    double worst_sum = 0;
    for (int d : worst.misfits) worst_sum += d;
    EXPECT_GT(worst_sum / worst.misfits.size(), 90.0) << id;
    EXPECT_EQ(worst.fitness, 0);
  }
}

}  // namespace
