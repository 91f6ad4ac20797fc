#include "shell/error_reporter.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorReporterTest, BlockWithLineNumber) {
  std::string expected = " \n   Error in the subprogram read_data_file" + std::string(66, ' ') +
                         "\n \n   Invalid sense in the line number         5\n"
                         "   Execution terminated.\n";
  EXPECT_EQ(format_error_block("read_data_file", "Invalid sense in the line number", 5), expected);
}

TEST(ErrorReporterTest, LineNumberFieldIsTenColumns) {
  std::string block = format_error_block("read_data_file", "Invalid data at line number", 32767);
  EXPECT_NE(block.find("\n   Invalid data at line number     32767\n"), std::string::npos);
  block = format_error_block("read_data_file", "Invalid data at line number", 1);
  EXPECT_NE(block.find("\n   Invalid data at line number         1\n"), std::string::npos);
}

TEST(ErrorReporterTest, EmptyMessageGivesAnEmptyReportLine) {
  std::string expected = " \n   Error in the subprogram CDM_execute" + std::string(69, ' ') +
                         "\n \n \n   Execution terminated.\n";
  EXPECT_EQ(format_error_block("CDM_execute", "", std::nullopt), expected);
}

}  // namespace
