// The results files of the examples against checksums computed by an
// independent implementation: a change that moves one byte of a CDM, CIM,
// MIM or grid file fails here, whichever code path wrote it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "support/program_runner.h"
#include "support/sha256.h"

namespace {

const char* const EXAMPLES[] = {"normal_faults", "strike_slip_faults", "thrust_faults"};

std::map<std::string, std::string> golden_checksums() {
  std::map<std::string, std::string> sums;
  std::istringstream in(read_file(std::string(SORVEL_SOURCE_DIR) + "/tests/golden/examples.sha256"));
  std::string sum, name;
  while (in >> sum >> name) sums[name] = sum;
  return sums;
}

// Lines of a results file that name a path or a clock, which the
// checksums leave out: by their start, or by their numbers (from 1).
struct Filter {
  std::vector<std::string> starts;
  std::vector<size_t> numbers;
};

// SHA-256 of a file, as sha256sum prints it, after `filter` has taken out
// its lines; every other byte, line ends included, counts.
std::string checksum_of(const std::string& path, const Filter& filter = {}) {
  if (!file_exists(path)) return "no file " + path;
  std::string text = read_file(path), kept;
  size_t number = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(at, end - at);
    at = end;
    ++number;
    bool drop = std::find(filter.numbers.begin(), filter.numbers.end(), number) != filter.numbers.end();
    for (const std::string& start : filter.starts) drop = drop || line.rfind(start, 0) == 0;
    if (!drop) kept += line;
  }
  return sha256_hex(kept);
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
                     const Filter& filter = {}) {
    ProgramRun r = run_program(program, folder_, answers, prefix());
    ASSERT_EQ(r.status, 0) << program << " for " << name << ":\n" << r.output << r.errors;
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
        expect_golden("sorvel-mim", answers, "r.mim", name, {{"Data = ", "Job Start = "}, {}});
      }
    }
  }
}

TEST_P(GoldenResultsTest, GridListingInBothModes) {
  for (const char* mode : {"r", "i"}) {
    expect_golden("sorvel-grid", std::string(mode) + "\n", "gridpoints.txt",
                  std::string("gridpoints.") + mode + ".txt", {{}, {3, 4}});
    std::string tensors = folder_ + "/stresstensors.txt";
    EXPECT_EQ(checksum_of(tensors), sums_.at(std::string("stresstensors.") + mode + ".txt"));
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
