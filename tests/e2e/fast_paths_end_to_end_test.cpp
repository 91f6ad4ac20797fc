// The real programs on their fast paths against the same programs on the
// straightforward ones (SORVEL_REFERENCE=1): the console transcript and
// the results file must agree byte for byte, whatever the thread count;
// so must the report of sorvel's bootstrap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

// Random planes and slip lines, a mixed set of known stress states, and
// planes that carry no shear under many grid states.
std::string mixed_data() {
  std::mt19937 random(77);
  std::uniform_real_distribution<double> azimuth(0.0, 360.0), dip(0.0, 90.0);
  std::string text;
  for (int i = 0; i < 30; ++i) {
    text += std::to_string(azimuth(random)) + " " + std::to_string(dip(random)) + " " +
            std::to_string(azimuth(random)) + " " + std::to_string(dip(random)) + " " +
            "NRSD"[i % 4] + "\n";
  }
  text += synthetic_data_file({10.0, 85.0, 95.0, 0.0, 0.5}, 25, 3);
  text += synthetic_data_file({40.0, 0.0, 130.0, 0.0, 0.3}, 25, 4, true);
  return text + "0 0 0 0 N\n360 90 0 90 D\n90 90 0 0 S\n";
}

// Every line of a MIM file but those that name the data file or the clock.
std::string without_clock(const std::string& text) {
  std::string kept;
  for (const std::string& line : split_lines(text))
    if (line.rfind("Data = ", 0) != 0 && line.rfind("Job Start = ", 0) != 0) kept += line + "\n";
  return kept;
}

// SORVEL_REFERENCE for the programs this process starts.
void set_reference_paths(bool on) {
#ifdef _WIN32
  _putenv_s("SORVEL_REFERENCE", on ? "1" : "");
#else
  if (on)
    setenv("SORVEL_REFERENCE", "1", 1);
  else
    unsetenv("SORVEL_REFERENCE");
#endif
}

class FastPathsEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Runs `program` on both paths; expects the same transcript and file.
  void expect_same(const std::string& program, const std::string& answers,
                   const std::string& results, const std::string& threads) {
    std::string path = folder_ + "/" + results;
    ProgramRun reference = run_program(program, folder_, answers, "export SORVEL_REFERENCE=1;");
    ASSERT_EQ(reference.status, 0) << reference.output;
    std::string reference_file = read_file(path);
    std::filesystem::remove(path);
    ProgramRun fast = run_program(program, folder_, answers, "export SORVEL_THREADS=" + threads + ";");
    EXPECT_EQ(fast.output, reference.output) << program << " " << answers;
    std::string fast_file = read_file(path);
    std::filesystem::remove(path);
    if (results.find(".mim") != std::string::npos) {
      reference_file = without_clock(reference_file);
      fast_file = without_clock(fast_file);
    }
    EXPECT_TRUE(fast_file == reference_file) << program << " " << answers << " threads " << threads;
  }
  std::string folder_;
};

TEST_F(FastPathsEndToEndTest, CdmAndCimFilesUnderEveryWeightFunction) {
  write_file(folder_ + "/mixed.fdt", mixed_data());
  write_file(folder_ + "/empty.fdt", "");
  for (int w = 1; w <= 4; ++w) {
    std::string id = std::to_string(w);
    expect_same("sorvel", "mixed.fdt\nr.cdm\n" + id + "\n", "r.cdm", w % 2 ? "2" : "3");
    expect_same("sorvel-cim", "mixed.fdt\nr.cim\n" + id + "\n", "r.cim", w % 2 ? "3" : "1");
  }
  expect_same("sorvel", "empty.fdt\nr.cdm\n2\n", "r.cdm", "2");
  expect_same("sorvel-cim", "empty.fdt\nr.cim\n3\n", "r.cim", "2");
}

// Each resample's best state by bounds, or by every state's sum: the
// same report, to the byte, on any number of threads. The mixed data
// leave resamples whose winners lie near each other and far apart.
TEST_F(FastPathsEndToEndTest, BootstrapReportOfEveryStatesSum) {
  write_file(folder_ + "/mixed.fdt", mixed_data());
  auto report = [&](const std::string& threads, const std::string& weight) {
    ProgramRun run = run_program_with_arguments(
        "sorvel", folder_,
        {"--weight", weight, "--threads", threads, "--bootstrap", "300", "--seed", "5", "--quiet",
         "--overwrite", "--report", "r.json", "mixed.fdt", "r.cdm"});
    EXPECT_EQ(run.status, 0) << run.errors;
    return read_file(folder_ + "/r.json");
  };
  for (const char* weight : {"1", "3"}) {
    set_reference_paths(true);
    const std::string reference = report("1", weight);
    set_reference_paths(false);
    EXPECT_NE(reference, "");
    for (const char* threads : {"1", "2", "3"})
      EXPECT_TRUE(report(threads, weight) == reference) << "weight " << weight << ", threads " << threads;
  }
}

TEST_F(FastPathsEndToEndTest, MimFilesForEverySubsetSize) {
  std::vector<std::string> lines = split_lines(mixed_data());
  std::string twelve;
  for (size_t i = 0; i < lines.size(); i += lines.size() / 12) twelve += lines[i] + "\n";
  write_file(folder_ + "/twelve.fdt", twelve);
  for (int k = 2; k <= 8; ++k) {
    for (int w : {1, 4}) {
      std::string answers = "twelve.fdt\nr.mim\n" + std::to_string(k) + "\n" + std::to_string(w) + "\n";
      expect_same("sorvel-mim", answers, "r.mim", k % 2 ? "3" : "2");
    }
  }
  // Enough subsets for progress lines from several threads.
  write_file(folder_ + "/mixed.fdt", mixed_data());
  expect_same("sorvel-mim", "mixed.fdt\nr.mim\n3\n3\n", "r.mim", "3");
}

}  // namespace
