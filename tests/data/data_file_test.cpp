#include "data/data_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_runner.h"

namespace {

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  bool load(const std::string& text) {
    std::string path = folder_ + "/data.fdt";
    write_file(path, text);
    error_ = read_data_file(path, set_);
    return !error_;
  }

  void expect_failure(const std::string& text, const std::string& message, int32_t line) {
    EXPECT_FALSE(load(text)) << text;
    ASSERT_TRUE(error_) << text;
    EXPECT_EQ(error_->routine, "read_data_file");
    EXPECT_EQ(error_->message, message) << text;
    EXPECT_EQ(error_->line.value_or(0), line) << text;
    EXPECT_EQ(set_.count, 0);
    EXPECT_TRUE(set_.data.empty());
  }

  std::string folder_;
  FaultSet set_;
  StageResult error_;
};

TEST_F(ReaderTest, StoresFieldsAsRead) {
  ASSERT_TRUE(load("90 60 180 0 D\n95 -10.5 -30 1e1 'normal' site-4\n"));
  ASSERT_EQ(set_.count, 2);
  EXPECT_EQ(set_.data[0].dip_direction, 90.0f);
  EXPECT_EQ(set_.data[0].sense, 'D');
  EXPECT_EQ(set_.data[1].dip_direction, 95.0f);
  EXPECT_EQ(set_.data[1].dip_angle, -10.5f);
  EXPECT_EQ(set_.data[1].slip_azimuth, -30.0f);
  EXPECT_EQ(set_.data[1].slip_plunge, 10.0f);
  EXPECT_EQ(set_.data[1].sense, 'n');
}

TEST_F(ReaderTest, LayoutsThatRead) {
  const char* cases[] = {
      "10 20 30 40 N",                          // no final line end
      "10 20 30 40 N\r\n10 20 30 40 r\r\n",     // Windows line ends
      "\xEF\xBB\xBF" "10 20 30 40 N\n",         // byte-order mark
      "\n\n10,20,30,40,s\n",                    // empty lines before a datum
      "10\t20\t30\t40\td\n",                    // tab-separated
      "10 20 30\n40 N\n",                       // datum over two lines
  };
  for (const char* text : cases) {
    EXPECT_TRUE(load(text)) << text << " -> " << (error_ ? error_->message : "");
    EXPECT_GE(set_.count, 1) << text;
  }
  ASSERT_TRUE(load("10 20 30\n40 N\n1 2 3 4 R\n"));
  EXPECT_EQ(set_.count, 2);  // one less than the non-empty lines
}

TEST_F(ReaderTest, EmptyFileGivesNoData) {
  EXPECT_TRUE(load(""));
  EXPECT_EQ(set_.count, 0);
  EXPECT_TRUE(load("\xEF\xBB\xBF"));
  EXPECT_EQ(set_.count, 0);
}

TEST_F(ReaderTest, FailuresNameTheDatumOrdinal) {
  const std::string bad_data = "Invalid data at line number";
  const std::string bad_sense = "Invalid sense in the line number";
  expect_failure("dipdir dip azimuth plunge sense\n10 20 30 40 N\n", bad_data, 1);
  expect_failure("10 20 30 40 N\n10 20 30 40 N\n\n", bad_data, 3);        // trailing empty line
  expect_failure("10 20 30 40 N\n   \n", bad_data, 2);                    // trailing blanks
  expect_failure("10 20 30 40 N\n10 20 30 40 N\n10 20 30 40 X\n", bad_sense, 3);
  expect_failure("10 20 30 40 5\n", bad_sense, 1);
  expect_failure("10 20 30 40 ''\n", bad_sense, 1);
  expect_failure(std::string("10 20 30 40 \"\0N\"\n", 17), bad_sense, 1);  // found by fuzzing
  expect_failure("10 20 30 40 N\n10 20 30\n", bad_data, 2);               // cut short
  expect_failure("10 20 / 40 N\n", bad_data, 1);                          // slash inside
  expect_failure("10,,30,40,N\n", bad_data, 1);                           // null value
  expect_failure("10 20 30 40 N\n10 NaN 30 40 N\n", bad_data, 2);
  expect_failure("10 20 30 1e40 N\n", bad_data, 1);
  expect_failure(std::string("10 20 30 40 N\n10 2\0 30 40 N\n", 28), bad_data, 2);
}

TEST_F(ReaderTest, MissingFileAndFolder) {
  StageResult error = read_data_file(folder_ + "/none.fdt", set_);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->message, "Data file not found");
  EXPECT_FALSE(error->line);
  error = read_data_file(folder_, set_);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->message, "Data file not found");
}

// The importer reads our own notation through the same reader and
// reports each datum at the line that ends it.
TEST_F(ReaderTest, LinesWhereEachDatumEnds) {
  StringLineSource source("\n10 20 30\n40 N\n\n1 2 3 4 R\n");
  std::vector<int32_t> lines;
  ASSERT_FALSE(read_fault_data(source, set_, &lines));
  EXPECT_EQ(lines, (std::vector<int32_t>{3, 5}));
}

// The command-line mode names the physical line beside the ordinal, and
// says why lines that hold no datum fail.
TEST_F(ReaderTest, FailuresNameTheFileLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\n\n10 20 30\n40 N\n\n10 20 30 x N\n",
       "datum 2 (file line 6): a value is not a number where a number is due"},
      {"10 20 30 40 N\n\n10 20\n\n30 40 ?\n",
       "datum 2 (file lines 3 to 5): the sense \"?\" begins with none of N, R, S, D"},
      {"10 20 30 40 N\n10 20 30 40 left-lateral\n",
       "datum 2 (file line 2): the sense \"left-lateral\" begins with none of N, R, S, D: "
       "write S for sinistral"},
      {"10 20 30 40 N\n10 20 30\n", "datum 2 (file line 2): the file ends before its fifth value"},
      {"10 20 / 40 N\n", "datum 1 (file line 1): a value is left unset (a slash, or two commas in a row)"},
      {"10 20 30 40 N\n\n10 20 30 40 N\n\n",
       "file line 4 is empty: the data file allows no empty line after the last datum"},
      {"10 20 30 40 N\r\n  \r\n",
       "file line 2 holds only blanks: the data file allows no line of blanks after the last datum"},
      {"10 20 30 40 N\n  # site 4\n", "file line 2 is a comment line: the data file allows no comments"},
      {"\n", "file line 1 is empty and no datum follows it"},
      {std::string("\xFF\xFE" "1\0" "0\0", 6), "file line 1: UTF-16 text: save it as UTF-8"},
  };
  for (const auto& [text, detail] : cases) {
    EXPECT_FALSE(load(text)) << text;
    ASSERT_TRUE(error_) << text;
    EXPECT_EQ(error_->detail, detail) << text;
  }
}

TEST_F(ReaderTest, AtMost32767Data) {
  std::string text;
  for (int i = 0; i < 32767; ++i) text += "10 20 30 40 N\n";
  ASSERT_TRUE(load(text));
  EXPECT_EQ(set_.count, 32767);
  expect_failure(text + "10 20 30 40 N\n", "Too many data (at most 32767)", 32768);
}

}  // namespace
