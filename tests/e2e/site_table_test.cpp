// A loop over sites run in parallel, as xargs -P or GNU parallel start
// it: every run that says it wrote its row has written it, whole, under
// one header, and two runs naming one JSON report leave one whole report.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "support/program_runner.h"

namespace fs = std::filesystem;

namespace {

const char* const EXAMPLES[] = {"normal_faults", "thrust_faults", "strike_slip_faults"};

class SiteTableTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  // `count` runs of `program` started together, each in a folder of its
  // own, on a copy of an example named siteNN.fdt, all with `shared`
  // options naming files of the test's folder.
  std::vector<ProgramRun> runs_together(const std::string& program, int count,
                                        const std::vector<std::string>& shared) {
    std::vector<ProgramStart> starts;
    for (int i = 0; i < count; ++i) {
      std::string name = "site" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1);
      std::string own = path(program + "-" + name);
      fs::create_directory(own);
      fs::copy(example_path(std::string(EXAMPLES[i % 3]) + ".fdt"), own + "/" + name + ".fdt");
      std::vector<std::string> arguments = {"--weight", "cosine", "--quiet", "--bootstrap", "0"};
      arguments.insert(arguments.end(), shared.begin(), shared.end());
      arguments.push_back(name + ".fdt");
      starts.push_back(ProgramStart{own, arguments});
    }
    return run_programs_together(program, starts);
  }

  std::string folder_;
};

std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream row(line);
  for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.push_back("");
  return fields;
}

// The rows of a table: the header once, then each row with as many fields
// as the header; the values of its column `column`.
std::multiset<std::string> column_of_whole_rows(const std::string& table, const std::string& column) {
  std::vector<std::string> lines = split_lines(table);
  std::multiset<std::string> values;
  if (lines.empty()) return values;
  std::vector<std::string> names = csv_fields(lines[0]);
  size_t at = std::find(names.begin(), names.end(), column) - names.begin();
  EXPECT_LT(at, names.size()) << column;
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_NE(lines[i], lines[0]) << "a second header at line " << i + 1;
    std::vector<std::string> fields = csv_fields(lines[i]);
    EXPECT_EQ(fields.size(), names.size()) << "line " << i + 1 << ": " << lines[i];
    if (at < fields.size()) values.insert(fields[at]);
  }
  return values;
}

TEST_F(SiteTableTest, SixteenRunsAtOnceEachAddTheirRowToOneTable) {
  const std::string table = path("sites.csv");
  std::vector<ProgramRun> runs = runs_together("sorvel", 16, {"--report", table});
  std::multiset<std::string> expected;
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i].status, 0) << runs[i].errors;
    expected.insert("site" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1) + ".fdt");
  }
  EXPECT_EQ(column_of_whole_rows(read_file(table), "data_file"), expected);
  EXPECT_EQ(split_lines(read_file(table)).size(), 17u);

  // sorvel-mim's table of populations too: each run adds all its rows.
  const std::string populations = path("populations.csv");
  runs = runs_together("sorvel-mim", 6, {"--k", "3", "--report", populations});
  for (const ProgramRun& r : runs) EXPECT_EQ(r.status, 0) << r.errors;
  std::multiset<std::string> read = column_of_whole_rows(read_file(populations), "data_file");
  for (int i = 1; i <= 6; ++i) EXPECT_GE(read.count("site0" + std::to_string(i) + ".fdt"), 1u) << i;
}

// Two runs naming the same JSON report (with --overwrite) leave the whole
// report of one of them.
TEST_F(SiteTableTest, TwoRunsNamingOneJsonReportLeaveOneWholeReport) {
  const std::string report = path("site.json");
  std::vector<ProgramRun> runs = runs_together("sorvel", 2, {"--overwrite", "--report", report});
  for (const ProgramRun& r : runs) EXPECT_EQ(r.status, 0) << r.errors;
  nlohmann::json j = nlohmann::json::parse(read_file(report), nullptr, false);
  ASSERT_FALSE(j.is_discarded()) << read_file(report);
  std::string data = j["data_file"];
  EXPECT_TRUE(data == "site01.fdt" || data == "site02.fdt") << data;
  std::string regime = j["best"]["regime"];
  EXPECT_EQ(regime, data == "site01.fdt" ? "NF" : "TF");
}

}  // namespace
