// The results files of the examples against checksums computed by an
// independent implementation: a change that moves one byte of a CDM, CIM,
// MIM or grid file fails here, whichever code path wrote it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "support/program_runner.h"

namespace {

const char* const EXAMPLES[] = {"normal_faults", "strike_slip_faults", "thrust_faults"};

std::map<std::string, std::string> golden_checksums() {
  std::map<std::string, std::string> sums;
  std::istringstream in(read_file(std::string(SORVEL_SOURCE_DIR) + "/tests/golden/examples.sha256"));
  std::string sum, name;
  while (in >> sum >> name) sums[name] = sum;
  return sums;
}

// SHA-256 of a file, as sha256sum prints it, after `filter` (a sed
// script, or empty) has taken out the lines that name a path or a clock.
std::string checksum_of(const std::string& path, const std::string& filter) {
  std::string command = (filter.empty() ? "cat" : "sed -e '" + filter + "'") + " '" + path +
                        "' | sha256sum";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  char digest[65] = {0};
  size_t got = std::fread(digest, 1, 64, pipe);
  pclose(pipe);
  return std::string(digest, got);
}

// Runs with each thread setting: results must not depend on the count.
class GoldenResultsTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    sums_ = golden_checksums();
    ASSERT_EQ(sums_.size(), 40u) << "the checksum list is incomplete";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string prefix() const {
    std::string threads = GetParam();
    return threads.empty() ? "unset SORVEL_THREADS;" : "SORVEL_THREADS=" + threads;
  }
  // Runs `program` with the dialogue answers and checks `produced`
  // against the checksum listed as `name`, then removes it.
  void expect_golden(const std::string& program, const std::string& answers,
                     const std::string& produced, const std::string& name,
                     const std::string& filter = "") {
    ProgramRun r = run_program(program, folder_, answers, prefix());
    ASSERT_EQ(r.status, 0) << program << " for " << name << ":\n" << r.output;
    EXPECT_EQ(checksum_of(folder_ + "/" + produced, filter), sums_.at(name)) << name;
    std::filesystem::remove(folder_ + "/" + produced);
  }
  std::string folder_;
  std::map<std::string, std::string> sums_;
};

TEST_P(GoldenResultsTest, CdmAndCimFilesUnderEveryWeightFunction) {
  for (const char* example : EXAMPLES) {
    std::string data = example_path(std::string(example) + ".fdt");
    for (int w = 1; w <= 4; ++w) {
      std::string id = std::to_string(w);
      expect_golden("sorvel", data + "\nr.cdm\n" + id + "\n", "r.cdm",
                    std::string(example) + ".w" + id + ".cdm");
      expect_golden("sorvel-cim", data + "\nr.cim\n" + id + "\n", "r.cim",
                    std::string(example) + ".w" + id + ".cim");
    }
  }
}

TEST_P(GoldenResultsTest, MimFilesForSubsetsOfThreeAndFour) {
  for (const char* example : EXAMPLES) {
    std::string data = example_path(std::string(example) + ".fdt");
    for (int k : {3, 4}) {
      for (int w : {1, 4}) {
        std::string answers = data + "\nr.mim\n" + std::to_string(k) + "\n" + std::to_string(w) + "\n";
        std::string name = std::string(example) + ".k" + std::to_string(k) + ".w" +
                           std::to_string(w) + ".mim";
        expect_golden("sorvel-mim", answers, "r.mim", name, "/^Data = /d;/^Job Start = /d");
      }
    }
  }
}

TEST_P(GoldenResultsTest, GridListingInBothModes) {
  for (const char* mode : {"r", "i"}) {
    expect_golden("sorvel-grid", std::string(mode) + "\n", "gridpoints.txt",
                  std::string("gridpoints.") + mode + ".txt", "3,4d");
    std::string tensors = folder_ + "/stresstensors.txt";
    EXPECT_EQ(checksum_of(tensors, ""), sums_.at(std::string("stresstensors.") + mode + ".txt"));
    std::filesystem::remove(tensors);
  }
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, GoldenResultsTest, ::testing::Values("", "1", "3"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string threads = info.param;
                           return threads.empty() ? std::string("AllHardwareThreads")
                                                  : "Threads" + threads;
                         });

}  // namespace
