// The analyses run many times in one process, on different data, and give
// every time the files that a separate run of the program gives: nothing
// of one run is left for the next.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "analyses/cdm/cdm_pipeline.h"
#include "analyses/mim/mim_pipeline.h"
#include "support/program_runner.h"

namespace {

class RepeatedRunsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    for (const char* name : {"normal_faults.fdt", "thrust_faults.fdt"})
      std::filesystem::copy(example_path(name), path(name));
    settings_.threads = 2;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  // The results file of a separate run of `program` on `data`.
  std::string program_file(const std::string& program, const std::string& data,
                           const std::vector<std::string>& options, const std::string& results) {
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {"--quiet", data, results});
    ProgramRun r = run_program_with_arguments(program, folder_, arguments);
    EXPECT_EQ(r.status, 0) << r.errors;
    return read_file(path(results));
  }

  std::string folder_;
  RunSettings settings_;
};

// The clock lines of a MIM file differ from run to run.
std::string without_clock(const std::string& text) {
  return std::regex_replace(text, std::regex("Job Start = [^\n]*\n"), "");
}

TEST_F(RepeatedRunsTest, CdmRunsInOneProcessMatchSeparateRuns) {
  const std::string a = program_file("sorvel", "normal_faults.fdt", {"--weight", "3"}, "a.cdm");
  const std::string b = program_file("sorvel", "thrust_faults.fdt", {"--weight", "3"}, "b.cdm");
  ASSERT_NE(a, b);
  const char* order[] = {"normal_faults.fdt", "thrust_faults.fdt", "normal_faults.fdt"};
  for (int i = 0; i < 3; ++i) {
    AnalysisRun run = {path(order[i]), path("again.cdm"), 3, 0, {}, DEFAULT_SEPARATION_OPTIONS, "", false};
    RankedRun result;
    ASSERT_FALSE(CDM_run(run, settings_, result)) << i;
    EXPECT_EQ(read_file(path("again.cdm")), i == 1 ? b : a) << "run " << i + 1;
  }
}

TEST_F(RepeatedRunsTest, MimRunsInOneProcessMatchSeparateRuns) {
  const std::vector<std::string> options = {"--weight", "4", "--k", "3"};
  const std::string a = program_file("sorvel-mim", path("normal_faults.fdt"), options, "a.mim");
  const std::string b = program_file("sorvel-mim", path("thrust_faults.fdt"), options, "b.mim");
  ASSERT_NE(without_clock(a), without_clock(b));
  const char* order[] = {"normal_faults.fdt", "thrust_faults.fdt", "normal_faults.fdt"};
  for (int i = 0; i < 3; ++i) {
    AnalysisRun run = {path(order[i]), path("again.mim"), 4, 3, {}, DEFAULT_SEPARATION_OPTIONS, "", false};
    MimRun result;
    ASSERT_FALSE(MIM_run(run, current_job_time(), settings_, result)) << i;
    EXPECT_EQ(without_clock(read_file(path("again.mim"))), without_clock(i == 1 ? b : a))
        << "run " << i + 1;
  }
}

}  // namespace
