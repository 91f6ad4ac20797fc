// Bad input and faults, run through the real program: every case ends
// with a clear message and exit status 1, an earlier results file stays as
// it was, and no temporary file is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/results_file.h"
#include "support/console_transcript.h"
#include "support/program_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string EARLIER = "earlier results, to be kept\n";

class ReliabilityTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_temp_folder(); }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_ + "/ro", fs::perms::owner_all, ignored);
    fs::remove_all(folder_);
  }
  std::string path(const std::string& name) { return folder_ + "/" + name; }

  // No file of the folder (and of its "ro" subfolder) is a temporary one.
  void expect_no_temporary_files() {
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
          << entry.path();
    }
  }

  static bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }

  std::string folder_;
};

std::string report(const std::string& routine, const std::string& message) {
  std::string name = routine;
  name.resize(80, ' ');
  return "   Error in the subprogram " + name + "\n \n   " + message +
         "\n   Execution terminated.\n  Press Enter to end the program. \n";
}

// The data file may be anything; the table says what the program does.
TEST_F(ReliabilityTest, TableOfBadDataFiles) {
  struct Case {
    const char* what;
    std::string data;
    std::string message;  // empty: the run succeeds
  };
  std::string long_line = "10 20 30 40 N " + std::string(1 << 20, 'x') + "\n";
  std::string long_number = std::string(1 << 20, '1') + " 20 30 40 N\n";
  std::string many(32768 * 14, ' ');
  for (size_t i = 0; i < 32768; ++i) many.replace(i * 14, 14, "10 20 30 40 N\n");
  const Case cases[] = {
      {"empty file", "", ""},
      {"blanks only", "   \n \t \n", "Invalid data at line number         1"},
      {"header line", "dipdir dip trend plunge sense\n1 2 3 4 N\n", "Invalid data at line number         1"},
      {"words for numbers", "1 2 3 4 N\nten 20 30 40 N\n", "Invalid data at line number         2"},
      {"datum cut short", "1 2 3 4 N\n1 2 3", "Invalid data at line number         2"},
      {"LF line ends", "1 2 3 4 N\n5 6 7 8 R\n", ""},
      {"CRLF line ends", "1 2 3 4 N\r\n5 6 7 8 R\r\n", ""},
      {"tab-separated", "1\t2\t3\t4\tN\r\n", ""},
      {"byte-order mark", "\xEF\xBB\xBF" "1 2 3 4 N\n", ""},
      {"NUL bytes", std::string("1 2 3 4 N\n\0\0\0\n", 14), "Invalid data at line number         2"},
      {"1 MB of words after a datum", long_line, ""},
      {"1 MB number", long_number, "Invalid data at line number         1"},
      {"32768 data", many, "Too many data (at most 32767)     32768"},
      {"exponents and signs", "1e1 +2.5E+1 -3d0 4. N\n.5 -0 +7 8e-1 r\n", ""},
      {"sign without digits", "1 2 + 4 N\n", "Invalid data at line number         1"},
      {"quoted and unquoted words", "1 2 3 4 'Normal'\n1 2 3 4 \"dextral\" x\n1 2 3 4 sinistral\n", ""},
      {"quoted bad sense", "1 2 3 4 'Xenon'\n", "Invalid sense in the line number         1"},
      {"NaN", "1 2 NaN 4 N\n", "Invalid data at line number         1"},
      {"too large", "1 2 3 4e38 N\n", "Invalid data at line number         1"},
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), "Invalid data at line number         1"},
      {"other format (CSV with header)", "id,dipdir,dip\n1,90,60\n", "Invalid data at line number         1"},
  };
  for (const Case& c : cases) {
    write_file(path("data.fdt"), c.data);
    write_file(path("data.cdm"), EARLIER);
    ProgramRun r = run_program("sorvel", folder_, "data.fdt\n\ny\n1\n");
    if (c.message.empty()) {
      EXPECT_EQ(r.status, 0) << c.what;
      EXPECT_EQ(split_lines(read_file(path("data.cdm"))).size(), 59400u) << c.what;
    } else {
      EXPECT_EQ(r.status, 1) << c.what;
      EXPECT_TRUE(ends_with(r.output, report("read_data_file", c.message))) << c.what << "\n" << r.output;
      EXPECT_EQ(read_file(path("data.cdm")), EARLIER) << c.what;
    }
  }
  expect_no_temporary_files();
}

TEST_F(ReliabilityTest, ResultsFileThatCannotGrow) {
  write_file(path("data.fdt"), "90 60 180 0 D\n");
  write_file(path("data.cdm"), EARLIER);
  // 100 KiB: far less than the 1.4 MB the results need; the signal that
  // would kill the program is ignored so that the write itself fails.
  ProgramRun r = run_program("sorvel", folder_, "data.fdt\n\ny\n1\n", "ulimit -f 100; trap '' XFSZ;");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ends_with(r.output, "   * Saving Results     *\n \n" +
                                      report("CDM_save_results", "File I/O error")))
      << r.output;
  EXPECT_EQ(read_file(path("data.cdm")), EARLIER);
  expect_no_temporary_files();
}

TEST_F(ReliabilityTest, MemoryLimitGivesTheAllocationReport) {
#ifdef SORVEL_UNDER_SANITIZER
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  std::string data;
  for (int i = 0; i < 3000; ++i) data += "90 60 180 0 D\n";
  write_file(path("data.fdt"), data);
  // 3,000 data need a 178 MB table; the limit leaves room for all else.
  // The subset search reads the table, so without it there is no run.
  ProgramRun r = run_program("sorvel-mim", folder_, "data.fdt\n\n2\n1\n", "ulimit -v 120000;");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ends_with(r.output, "   * Initialization  1/3 *\n \n" +
                                      report("fill_fitness_table", "Memory allocation error")))
      << r.output;
  EXPECT_FALSE(file_exists(path("data.mim")));
  // The CDM and CIM analyses keep only the sums of the scores: the same
  // limit holds them.
  EXPECT_EQ(run_program("sorvel", folder_, "data.fdt\n\n1\n", "ulimit -v 120000;").status, 0);
  EXPECT_EQ(split_lines(read_file(path("data.cdm"))).size(), 59400u);
}

// A CIM results file that cannot be completed is reported under the
// routine name of the CDM writer, leaves no partial or temporary file, and
// keeps an earlier file of that name as it was.
TEST_F(ReliabilityTest, CimResultsFileThatCannotGrow) {
  const std::string file_error =
      " \n   Error in the subprogram CDM_save_results" + std::string(64, ' ') +
      "\n \n   File I/O error\n   Execution terminated.\n  Press Enter to end the program. ";
  fs::copy(example_path("normal_faults.fdt"), path("normal.fdt"));
  write_file(path("old.cim"), EARLIER);
  // About 5 MB are due; the limit of 200 KiB makes a write fail, and the
  // ignored SIGXFSZ turns that into a failed write instead of a kill.
  ProgramRun r = run_program("sorvel-cim", folder_, "normal.fdt\nold.cim\ny\n1\n\n",
                             "trap '' XFSZ; ulimit -f 200;");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ends_with(r.output, file_error)) << r.output;
  EXPECT_NE(r.output.find("   * Writing Results    *\n" + file_error), std::string::npos);
  EXPECT_EQ(read_file(path("old.cim")), EARLIER);
  expect_no_temporary_files();
}

// With 300 data the fitness table takes 17.8 MB and the reference
// search's widened table 35.6 MB more: an address space of 45 MB holds the
// first but not both. (The fast search needs 3 MB beside the table, too
// little to miss reliably under a limit.)
TEST_F(ReliabilityTest, MimReferenceSearchWorkingArraysThatCannotBeHad) {
#if defined(__SANITIZE_ADDRESS__) || defined(SORVEL_UNDER_SANITIZER)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  std::string data;
  for (int i = 0; i < 300; ++i) data += std::to_string(i) + " 45 " + std::to_string(i) + " 45 N\n";
  write_file(path("data.fdt"), data);
  ProgramRun r = run_program("sorvel-mim", folder_, "data.fdt\n\n2\n1\n",
                             "export SORVEL_REFERENCE=1; ulimit -v 45000 &&");
  EXPECT_EQ(r.status, 1);
  std::string tail = "   * Initialization  3/3 *\n" +
                     error_block("MIM_invert_subsets", "   Memory allocation error");
  ASSERT_GE(r.output.size(), tail.size()) << r.output;
  EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail);
  EXPECT_FALSE(file_exists(path("data.mim")));
}

TEST_F(ReliabilityTest, ReadOnlyFolderAndFolderAsResultsName) {
  fs::create_directory(path("ro"));
  write_file(path("ro/data.fdt"), "90 60 180 0 D\n");
  write_file(path("ro/data.cdm"), EARLIER);
  fs::permissions(path("ro"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
  chmod(path("ro/data.fdt").c_str(), 0644);
  // Root writes anywhere: run as nobody to meet the folder's permissions.
  std::string as_user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  ProgramRun r = run_program("sorvel", folder_, "ro/data.fdt\n\ny\n1\n", as_user);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ends_with(r.output, report("CDM_save_results", "File I/O error"))) << r.output;
  EXPECT_EQ(read_file(path("ro/data.cdm")), EARLIER);

  write_file(path("data.fdt"), "90 60 180 0 D\n");
  fs::create_directory(path("folder.cdm"));
  r = run_program("sorvel", folder_, "data.fdt\nfolder.cdm\ny\n1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ends_with(r.output, report("CDM_save_results", "File I/O error"))) << r.output;
  EXPECT_TRUE(fs::is_directory(path("folder.cdm")));
  expect_no_temporary_files();
}

// A data file that exists but cannot be read passes the start-up check
// and is then reported by the reader.
TEST_F(ReliabilityTest, UnreadableDataFile) {
  write_file(path("data.fdt"), "90 60 180 0 D\n");
  chmod(path("data.fdt").c_str(), 0);
  fs::permissions(folder_, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec |
                               fs::perms::others_write);
  std::string as_user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  ProgramRun r = run_program("sorvel", folder_, "data.fdt\n\n1\n", as_user);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ends_with(r.output, "   * Initialization     *\n \n" +
                                      report("read_data_file", "Data file not found")))
      << r.output;
  EXPECT_FALSE(file_exists(path("data.cdm")));
}

// An interrupt while a results file is being written removes the
// temporary file and ends the program with status 1.
TEST_F(ReliabilityTest, InterruptRemovesTheTemporaryFile) {
  for (int signal_number : {SIGINT, SIGTERM}) {
    std::string target = path("results.cdm");
    write_file(target, EARLIER);
    EXPECT_EXIT(
        {
          ResultsFile file;
          if (!results_file_open(file, target)) std::exit(3);
          results_file_write(file, std::string(100000, 'x'));
          std::raise(signal_number);
          std::exit(4);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(read_file(target), EARLIER);
    expect_no_temporary_files();
  }
}

}  // namespace
