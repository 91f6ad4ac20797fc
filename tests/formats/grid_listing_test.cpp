// End to end: runs the real sorvel-grid in a fresh folder with a scripted
// answer and checks both listing files and the console transcript.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> read_lines(const fs::path& path, bool* ends_with_newline = nullptr) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  if (ends_with_newline) *ends_with_newline = !text.empty() && text.back() == '\n';
  std::vector<std::string> lines;
  std::string line;
  std::istringstream stream(text);
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

class SorvelGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "sorvel-grid-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the program in dir_ with `answer` on standard input; returns its
  // exit status.
  int run(const std::string& answer, const std::string& before = "") {
    std::ofstream(dir_ / "answers.txt", std::ios::binary) << answer;
    std::string command = "cd '" + dir_.string() + "' && " + before + "'" SORVEL_BIN_DIR
                          "/sorvel-grid' < answers.txt > console.txt 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void expect_header(const std::vector<std::string>& lines) {
    const std::vector<std::string> header = {
        "List of Computational Grid Points for Fault Straiation Analysis",
        "",
        "                                              sorvel-grid 1.0.0",
        "                                 Released under the MIT License",
        "",
        "Stress Ratio Phi = (sigma2-sigma3)/(sigma1-sigma3)",
        "",
        "Total Number of Grid Point                       = 59400",
        "Number of sigma3 directions                      =   300",
        "Number of sigma1 directions around a sigma3 axis =    18",
        "Number of stress ratios for the same stress axes =    11",
        "",
        " ----------------------------------",
        "  sigma1 axis     sigma3 axis   Phi",
        " azimuth plunge  azimuth plunge",
        " ----------------------------------",
    };
    ASSERT_GE(lines.size(), header.size());
    for (size_t i = 0; i < header.size(); ++i) EXPECT_EQ(header[i], lines[i]) << "line " << i + 1;
  }

  void expect_console(const std::string& console) {
    std::string expected =
        " \n \n \n   The Main Processor for Sorvel Method\n \n   sorvel 1.0.0\n"
        "   Stress inversion of fault-slip data\n   Released under the MIT License\n \n"
        "  Fixed-point listing (r) or whole numbers (any other answer)? "
        " *** List of computational grid points is saved in the filegridpoints.txt\n"
        " *** List of stress tensors are saved in the file stresstensors.txt\n \n"
        " progress = 10000 / 59400\n progress = 20000 / 59400\n"
        " progress = 30000 / 59400\n progress = 40000 / 59400\n"
        " progress = 50000 / 59400\n";
    EXPECT_EQ(expected, console);
  }

  void expect_tensors() {
    bool newline = false;
    std::vector<std::string> lines = read_lines(dir_ / "stresstensors.txt", &newline);
    EXPECT_TRUE(newline);
    ASSERT_EQ(59400u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(60u, lines[i].size()) << i + 1;
    // Grid point 1: horizontal sigma1, so S13 = S23 = S33 = 0, S11 + S22 = 1.
    std::istringstream first(lines[0]);
    double s11, s12, s13, s22, s23, s33;
    first >> s11 >> s12 >> s13 >> s22 >> s23 >> s33;
    EXPECT_EQ(0.0, s13);
    EXPECT_EQ(0.0, s23);
    EXPECT_EQ(0.0, s33);
    EXPECT_NEAR(1.0, s11 + s22, 1.5e-6);
  }

  fs::path dir_;
};

TEST_F(SorvelGridTest, WholeNumberListing) {
  ASSERT_EQ(0, run("x\n"));
  bool newline = false;
  std::vector<std::string> lines = read_lines(dir_ / "gridpoints.txt", &newline);
  EXPECT_TRUE(newline);
  ASSERT_EQ(59416u, lines.size());
  expect_header(lines);
  for (size_t i = 16; i < lines.size(); ++i) ASSERT_EQ(21u, lines[i].size()) << i + 1;
  // Grid point 1: sigma1 horizontal at azimuth 157.33, sigma3 at 247.33
  // plunging 86.58 degrees (the recentred first direction); Phi 0.
  EXPECT_EQ(" 157   0  247  87   0", lines[16]);
  EXPECT_EQ(" 157   0  247  87  10", lines[26]);
  EXPECT_EQ("   9", lines[25].substr(17));  // Phi 0.90000004
  expect_tensors();
  expect_console(read_text(dir_ / "console.txt"));
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp-"));
}

TEST_F(SorvelGridTest, FixedPointListingAgreesWithWholeNumbers) {
  ASSERT_EQ(0, run("R\n"));  // upper case: whole numbers
  std::vector<std::string> whole = read_lines(dir_ / "gridpoints.txt");
  ASSERT_EQ(0, run("  r\n"));
  std::vector<std::string> fixed = read_lines(dir_ / "gridpoints.txt");
  ASSERT_EQ(59416u, whole.size());
  ASSERT_EQ(59416u, fixed.size());
  expect_header(fixed);
  EXPECT_EQ(" 157.3   0.0  247.3  86.6  0.0", fixed[16]);
  for (size_t i = 16; i < fixed.size(); ++i) {
    ASSERT_EQ(30u, fixed[i].size()) << i + 1;
    std::istringstream w(whole[i]), f(fixed[i]);
    for (int n = 0; n < 5; ++n) {
      double a = 0, b = 0;
      w >> a;
      f >> b;
      if (n == 4) b *= 10.0;
      // One decimal printed: the whole number is within half a unit of it
      // plus the decimal rounding.
      ASSERT_LE(std::fabs(a - b), 0.55 + (n == 4 ? 0.5 : 0.0)) << "line " << i + 1;
      if (n == 1 || n == 3) {
        ASSERT_TRUE(b >= 0.0 && b <= 90.0) << "line " << i + 1;
      } else if (n != 4) {
        ASSERT_TRUE(b >= 0.0 && b <= 360.0) << "line " << i + 1;
      }
    }
  }
  expect_tensors();
  expect_console(read_text(dir_ / "console.txt"));
}

TEST_F(SorvelGridTest, EndOfInputMeansWholeNumbers) {
  ASSERT_EQ(0, run(""));
  std::vector<std::string> lines = read_lines(dir_ / "gridpoints.txt");
  ASSERT_EQ(59416u, lines.size());
  EXPECT_EQ(21u, lines[16].size());
}

TEST_F(SorvelGridTest, UnwritableFolderEndsWithStatusOne) {
  // The folder is removed under the running program, so no file can be
  // created in it.
  fs::path gone = dir_ / "gone";
  fs::create_directory(gone);
  std::ofstream(dir_ / "answers.txt") << "r\n";
  std::string command = "cd '" + gone.string() + "' && rmdir '" + gone.string() + "' && '" +
                        SORVEL_BIN_DIR "/sorvel-grid' < ../answers.txt > ../console.txt 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(1, WEXITSTATUS(status));
  std::string console = read_text(dir_ / "console.txt");
  std::string tail =
      " *** List of stress tensors are saved in the file stresstensors.txt\n \n"
      "   File I/O error --- execution terminated.\n";
  ASSERT_GE(console.size(), tail.size());
  EXPECT_EQ(tail, console.substr(console.size() - tail.size()));
  EXPECT_EQ(std::string::npos, console.find("progress"));
}

}  // namespace
