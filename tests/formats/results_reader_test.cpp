// Recognising and checking results files from their content.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/results_reader.h"
#include "support/program_runner.h"

namespace {

TEST(ResultsReaderTest, CdmLineFieldsAreReadByColumn) {
  CdmState s;
  ASSERT_TRUE(parse_cdm_state("123 45 300 12  5    1234", s));
  EXPECT_EQ(s.sigma1.azimuth, 123);
  EXPECT_EQ(s.sigma1.plunge, 45);
  EXPECT_EQ(s.sigma3.azimuth, 300);
  EXPECT_EQ(s.sigma3.plunge, 12);
  EXPECT_EQ(s.phi_tenths, 5);
  EXPECT_EQ(s.fitness, 1234);
  EXPECT_EQ(s.axes_text, "123 45 300 12  5");
  ASSERT_TRUE(parse_cdm_state("360  0 360 90 10       0", s));
  EXPECT_EQ(s.sigma1.azimuth, 360);
  EXPECT_EQ(s.sigma3.azimuth, 360);
  EXPECT_EQ(s.sigma3.plunge, 90);
  EXPECT_EQ(s.phi_tenths, 10);
}

TEST(ResultsReaderTest, CdmLineRejectsWhatTheWriterNeverWrites) {
  CdmState s;
  EXPECT_FALSE(parse_cdm_state("123 45 300 12  5   1234", s));    // 23 characters
  EXPECT_FALSE(parse_cdm_state("123 91 300 12  5    1234", s));   // plunge beyond 90
  EXPECT_FALSE(parse_cdm_state("123 45 300 12 11    1234", s));   // Phi beyond 1.0
  EXPECT_FALSE(parse_cdm_state("123 45 300 12  5********", s));   // overflow
  EXPECT_FALSE(parse_cdm_state("123 45 300 12  5   -1234", s));   // negative fitness
  EXPECT_FALSE(parse_cdm_state("12x 45 300 12  5    1234", s));
  EXPECT_FALSE(parse_cdm_state("123 45     12  5    1234", s));   // empty field
}

class ResultsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  bool read(const std::string& text, PlotResults& results, std::string& error) {
    write_file(folder_ + "/results", text);
    return read_results_file(folder_ + "/results", results, error);
  }
  std::string folder_;
};

const std::string MIM_TAIL =
    "Data = faults.fdt\n k =  2\nFunction = cosine\n"
    "Job Start = 1999/03/02 14:05:09.250\nJob Start = 1999/03/02 14:05:10.500\n";

TEST_F(ResultsFileTest, MimFileWithItsVotesAndDescription) {
  PlotResults r;
  std::string error;
  ASSERT_TRUE(read("      2\n 90.0 60.0 180.0  0.0 D\n 90.0 30.0  90.0 30.0 N\n"
                   "       59400   11\n           2\n       12        4\n    59400        6\n" +
                       MIM_TAIL,
                   r, error))
      << error;
  EXPECT_EQ(r.kind, ResultsKind::mim);
  EXPECT_EQ(r.fault_count, 2);
  ASSERT_EQ(r.votes.size(), 2u);
  EXPECT_EQ(r.votes[1].index, 59400);
  EXPECT_EQ(r.votes[1].votes, 6);
  EXPECT_EQ(r.data_name, "faults.fdt");
  EXPECT_EQ(r.k_text, " 2");
  EXPECT_EQ(r.function_name, "cosine");
}

TEST_F(ResultsFileTest, MimFileWithoutVotes) {
  PlotResults r;
  std::string error;
  ASSERT_TRUE(read("      0\n       59400   11\n           0\n" + MIM_TAIL, r, error)) << error;
  EXPECT_TRUE(r.votes.empty());
}

TEST_F(ResultsFileTest, BrokenFilesAreNamedByKindAndLine) {
  struct Case { std::string text, error; };
  for (const Case& c : {
           Case{"", "neither a CDM nor a MIM results file"},
           Case{"48 70 122 39 N\n", "neither a CDM nor a MIM results file"},
           Case{"123 45 300 12  5    1234\n", "CDM results file: 1 lines, 59400 expected"},
           Case{"123 45 300 12  5    1234\n123 45 300 12  5    1233\n",
                "CDM results file: line 2 breaks the ascending order of fitness"},
           Case{"123 45 300 12  5    1234\nxyz\n",
                "CDM results file: line 2 is not a line of 6 numbers in 24 columns"},
           Case{"      1\n       59400   11\n",
                "MIM results file: line 2 is not a datum line of 23 characters"},
           Case{"      0\n       59400   12\n",
                "MIM results file: line 2 should give the grid size 59400 and 11"},
           Case{"      0\n       59400   11\n           2\n       12        4\n",
                "MIM results file: line 5 is not a voted stress state (index, votes)"},
           Case{"      0\n       59400   11\n           2\n       12        4\n       12        4\n",
                "MIM results file: line 5 is not a voted stress state (index, votes)"},
           Case{"      0\n       59400   11\n           0\nData = x\n",
                "MIM results file: line 5 should begin with \" k = \""},
       }) {
    PlotResults r;
    std::string error;
    EXPECT_FALSE(read(c.text, r, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST_F(ResultsFileTest, MissingFileAndFolder) {
  PlotResults r;
  std::string error;
  EXPECT_FALSE(read_results_file(folder_ + "/none.cdm", r, error));
  EXPECT_EQ(error, "Results file not found");
  EXPECT_FALSE(read_results_file(folder_, r, error));
  EXPECT_EQ(error, "Results file not found");
}

}  // namespace
