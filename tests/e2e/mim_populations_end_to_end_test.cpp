// The real sorvel-mim separating the three examples mixed into one file:
// its lines, its report, its split data files and its picture, checked
// against the real sorvel run on each split file and the real sorvel-plot
// drawing from the report; and what it refuses before it runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include <nlohmann/json.hpp>

#include "plot/picture_reading.h"
#include "support/program_runner.h"
#include "support/synthetic_data.h"

namespace {

using Json = nlohmann::json;

class MimPopulations : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_temp_folder();
    std::string mixed;
    for (const char* name : {"normal_faults.fdt", "thrust_faults.fdt", "strike_slip_faults.fdt"})
      mixed += read_file(example_path(name));
    write_file(path("mixed.fdt"), mixed);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const std::string& name) { return folder_ + "/" + name; }
  ProgramRun run(const std::string& program, const std::vector<std::string>& arguments) {
    return run_program_with_arguments(program, folder_, arguments);
  }
  Json json_of(const std::string& name) { return Json::parse(read_file(path(name))); }

  std::string folder_;
};

TEST_F(MimPopulations, EachPopulationIsWhatSorvelFindsOnItsOwnData) {
  ProgramRun r = run("sorvel-mim", {"--weight", "3", "--k", "3", "--quiet", "--report", "run.json",
                                    "--picture", "run.svg", "--split", "part", "mixed.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  Json report = json_of("run.json");
  EXPECT_EQ(report["data_count"], 48);
  EXPECT_EQ(report["k"], 3);
  EXPECT_EQ(report["subsets"], 17296);  // C(48, 3)
  const Json& populations = report["populations"];
  ASSERT_GE(populations.size(), 2u);

  // Every datum once, in a population or unassigned; most data first.
  std::vector<int> seen(49, 0);
  for (const Json& p : populations)
    for (int ordinal : p["data"]) ++seen.at(size_t(ordinal));
  for (int ordinal : report["unassigned"]) ++seen.at(size_t(ordinal));
  for (int i = 1; i <= 48; ++i) EXPECT_EQ(seen[size_t(i)], 1) << "datum " << i;
  for (size_t p = 1; p < populations.size(); ++p)
    EXPECT_GE(populations[p - 1]["data"].size(), populations[p]["data"].size());

  // The 16 normal faults come first in the file: one population takes
  // them all, with a steep sigma1; the 16 thrusts go to one with a
  // steep sigma3.
  auto holder = [&](int ordinal) {
    for (size_t p = 0; p < populations.size(); ++p)
      for (int o : populations[p]["data"])
        if (o == ordinal) return int(p);
    return -1;
  };
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(holder(i), holder(1)) << "normal fault " << i;
  for (int i = 17; i <= 32; ++i) EXPECT_EQ(holder(i), holder(17)) << "thrust " << i;
  ASSERT_GE(holder(1), 0);
  ASSERT_GE(holder(17), 0);
  EXPECT_GE(populations[size_t(holder(1))]["sigma1"][1], 60);
  EXPECT_EQ(populations[size_t(holder(1))]["regime"], "NF");
  EXPECT_GE(populations[size_t(holder(17))]["sigma3"][1], 60);
  EXPECT_EQ(populations[size_t(holder(17))]["regime"], "TF");

  // sorvel on each split file finds the population's state, and its
  // bootstrap (same seed, same data in the same order) the same cones.
  for (size_t p = 0; p < populations.size(); ++p) {
    std::string part = "part" + std::to_string(p + 1);
    ASSERT_TRUE(file_exists(path(part + ".fdt")));
    EXPECT_EQ(split_lines(read_file(path(part + ".fdt"))).size(), populations[p]["data"].size());
    ProgramRun alone = run("sorvel", {"--weight", "3", "--quiet", "--report", part + ".json",
                                      part + ".fdt"});
    ASSERT_EQ(alone.status, 0) << alone.errors;
    Json own = json_of(part + ".json");
    // The grid's confidence under its present names, beside the refined
    // one; the refined state that sorvel finds on the population's data.
    ASSERT_TRUE(own["confidence"].contains("refined")) << part;
    ASSERT_TRUE(populations[p]["confidence"].contains("refined")) << part;
    for (const char* axis : {"sigma1", "sigma3"}) {
      const Json& mine = populations[p]["refined"][axis];
      const Json& theirs = own["best"]["refined"][axis];
      EXPECT_LT(axis_angle(mine[0].get<double>(), mine[1].get<double>(), theirs[0].get<double>(),
                           theirs[1].get<double>()), 0.5) << part << " " << axis;
    }
    own["confidence"].erase("refined");
    Json theirs_confidence = populations[p]["confidence"];
    theirs_confidence.erase("refined");
    EXPECT_EQ(own["best"]["grid_index"], populations[p]["grid_index"]) << part;
    EXPECT_EQ(own["best"]["misfits"], populations[p]["misfits"]) << part;
    EXPECT_EQ(own["confidence"], theirs_confidence) << part;
  }
  EXPECT_EQ(file_exists(path("part0.fdt")), !report["unassigned"].empty());

  // The picture marks each population's refined axes, its grid state's
  // beside them.
  std::string svg = read_file(path("run.svg"));
  for (size_t p = 0; p < populations.size(); ++p) {
    std::string id = "state-" + std::to_string(p + 1);
    for (const char* axis : {"sigma1", "sigma2", "sigma3"}) {
      const Json& refined = populations[p]["refined"][axis];
      expect_at(translation_of(svg, id + "-refined-" + axis),
                expected_point(refined[0].get<double>(), refined[1].get<double>()), id);
      const Json& grid = populations[p][axis];
      expect_at(translation_of(svg, id + "-" + axis),
                expected_point(grid[0].get<double>(), grid[1].get<double>()), id);
    }
  }

  // sorvel-plot draws the same picture from the files and prints the same lines.
  ProgramRun plot = run("sorvel-plot", {"--report", "run.json", "mixed.fdt", "mixed.mim", "plot.svg"});
  ASSERT_EQ(plot.status, 0) << plot.errors;
  EXPECT_EQ(read_file(path("plot.svg")), read_file(path("run.svg")));
  std::vector<std::string> lines = split_lines(r.output);
  std::string after_summary;
  for (size_t i = 1; i < lines.size(); ++i) after_summary += lines[i] + "\n";
  EXPECT_EQ(plot.output, after_summary + "sorvel-plot: picture written to plot.svg\n");
}

TEST_F(MimPopulations, LinesNameEveryPopulationAndDatum) {
  ProgramRun r = run("sorvel-mim", {"--weight", "3", "--k", "3", "--quiet", "--bootstrap", "0",
                                    "--populations", "3", "mixed.fdt"});
  ASSERT_EQ(r.status, 0) << r.errors;
  std::vector<std::string> lines = split_lines(r.output);
  ASSERT_EQ(lines.size(), 1u + 1u + 3u + 48u) << r.output;
  EXPECT_EQ(lines[1].rfind("  Populations: 3 (3 asked for)", 0), 0u) << lines[1];
  static const std::regex population(
      "  Population [123]: sigma1 [0-9]{3}/[0-9]{2}, sigma2 [0-9]{3}/[0-9]{2}, sigma3 "
      "[0-9]{3}/[0-9]{2}, Phi [01]\\.[0-9], regime (NF|NS|SS|TS|TF|U), SHmax ([0-9]{3}|none), "
      "R' [0-3]\\.[0-9], data [0-9]+ \\(alone [0-9]+\\), mean misfit [0-9]+\\.[0-9], votes [0-9]+, "
      "refined sigma1 [0-9]{3}\\.[0-9]/[0-9]{2}\\.[0-9], sigma3 [0-9]{3}\\.[0-9]/[0-9]{2}\\.[0-9], "
      "Phi [01]\\.[0-9]{2}");
  static const std::regex datum("  Datum [0-9]+: (Population [123], misfit [0-9]+|none)");
  for (size_t i = 2; i < 5; ++i) EXPECT_TRUE(std::regex_match(lines[i], population)) << lines[i];
  for (size_t i = 5; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], datum)) << lines[i];
}

TEST_F(MimPopulations, RefusesBeforeRunningAndKeepsTheDialogue) {
  write_file(path("part1.fdt"), "kept\n");
  ProgramRun r = run("sorvel-mim", {"--weight", "3", "--k", "3", "--split", "part", "mixed.fdt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("split file exists (--overwrite replaces it): part1.fdt"), std::string::npos)
      << r.errors;
  EXPECT_FALSE(file_exists(path("mixed.mim")));
  EXPECT_EQ(read_file(path("part1.fdt")), "kept\n");

  r = run("sorvel-mim", {"--weight", "3", "--k", "3", "--populations", "9", "mixed.fdt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.errors.find("bad value for --populations: 9"), std::string::npos) << r.errors;

  // The dialogue separates nothing: its transcript ends with the results.
  ProgramRun dialogue = run_program("sorvel-mim", folder_, "mixed.fdt\ndialogue.mim\n3\n3\n");
  ASSERT_EQ(dialogue.status, 0) << dialogue.errors;
  EXPECT_EQ(dialogue.output.find("Population"), std::string::npos);
}

}  // namespace
