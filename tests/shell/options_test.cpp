#include "shell/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/command_line.h"
#include "shell/file_chooser.h"
#include "support/program_runner.h"

namespace fs = std::filesystem;

namespace {

std::string parse(const OptionTable& table, std::vector<const char*> words,
                  ParsedArguments& parsed) {
  words.insert(words.begin(), "program");
  return parse_arguments(static_cast<int>(words.size()), words.data(), table, parsed);
}

TEST(OptionsTest, WordsSortedByTheTable) {
  ParsedArguments parsed;
  ASSERT_EQ(parse(PLOT_TABLE, {"--fit=20", "a", "-h", "--min-votes", "-1", "--", "--fit", "-h"},
                  parsed),
            "");
  std::map<std::string, std::string, std::less<>> options = {
      {"--fit", "20"}, {"--help", ""}, {"--min-votes", "-1"}};
  EXPECT_EQ(parsed.options, options);
  EXPECT_EQ(parsed.operands, (std::vector<std::string>{"a", "--fit", "-h"}));

  // Only sorvel-plot and sorvel-import take a single-dash word for an option.
  parsed = {};
  EXPECT_EQ(parse(PLOT_TABLE, {"a", "b", "-x"}, parsed), "unknown option -x");
  parsed = {};
  ASSERT_EQ(parse(CDM_CIM_TABLE, {"--weight=", "-x", "-"}, parsed), "");
  EXPECT_EQ(parsed.options.at("--weight"), "");
  EXPECT_EQ(parsed.operands, (std::vector<std::string>{"-x", "-"}));
}

TEST(OptionsTest, Problems) {
  struct Case {
    OptionTable table;
    std::vector<const char*> words;
    std::string problem;
  } cases[] = {
      {CDM_CIM_TABLE, {"--weight", "--quiet", "a"}, "missing value of --weight"},
      {IMPORT_TABLE, {"a", "b", "--format"}, "missing value of --format"},
      {CDM_CIM_TABLE, {"--quiet=yes"}, "--quiet takes no value"},
      {PLOT_TABLE, {"-h=1"}, "-h takes no value"},
      {CDM_CIM_TABLE, {"--k", "3"}, "unknown option --k"},
      {GRID_TABLE, {"--fixed", "--fixed=x"}, "--fixed takes no value"},
      {MIM_TABLE, {"--bogus=1", "--k"}, "unknown option --bogus=1"},
  };
  for (const Case& c : cases) {
    ParsedArguments parsed;
    EXPECT_EQ(parse(c.table, c.words, parsed), c.problem) << c.words[0];
  }
}

// The run settings come back in the record, for the shell to apply.
TEST(OptionsTest, RunOptionsComeBackInTheRecord) {
  CommandLineProgram mim = {"sorvel-mim", "", true, nullptr};
  ParsedArguments parsed;
  ASSERT_EQ(parse(option_table(mim),
                  {"--threads", "3", "--k=4", "--quiet", "--weight", "tangent", "d.fdt"}, parsed),
            "");
  RunOptions options;
  ASSERT_EQ(read_run_options(mim, ".mim", parsed, options), "");
  EXPECT_EQ(options.threads, 3);
  EXPECT_TRUE(options.quiet);
  EXPECT_EQ(options.run.subset_size, 4);
  EXPECT_EQ(options.run.weight_id, 3);
  EXPECT_EQ(options.run.results_file, "d.mim");
}

TEST(OptionsTest, SameFile) {
  std::string folder = make_temp_folder();
  std::string a = folder + "/a.fdt";
  write_file(a, "90 60 180 0 D\n");
  fs::create_hard_link(a, folder + "/link.fdt");
  fs::create_directory(folder + "/sub");
  EXPECT_TRUE(same_file(a, folder + "/sub/../a.fdt"));
  EXPECT_TRUE(same_file(a, folder + "/link.fdt"));
  EXPECT_FALSE(same_file(a, folder + "/b.fdt"));
  // Not there yet: the same when the paths are.
  EXPECT_TRUE(same_file(folder + "/new.svg", folder + "/none/.././new.svg"));
  EXPECT_FALSE(same_file(folder + "/new.svg", folder + "/new.cdm"));
  fs::remove_all(folder);
}

}  // namespace
