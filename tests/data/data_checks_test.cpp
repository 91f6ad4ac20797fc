#include "data/data_checks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_runner.h"

namespace {

std::vector<DatumWarning> warnings_of(const std::string& text) {
  StringLineSource source(text);
  FaultSet set;
  std::vector<DatumSource> sources;
  EXPECT_FALSE(read_fault_data(source, set, sources)) << text;
  return check_fault_data(set, sources);
}

// Each kind of warning on a datum that has it, named by its ordinal and
// its file line after an empty line and a datum over two lines.
TEST(DataChecksTest, EachKindOnTheDatumThatHasIt) {
  const std::string text =
      "90 60 90 60 N\n"             // 1: line 1, clean
      "\n"
      "90 95 270 85 N\n"            // 2: line 3, dip past the vertical
      "90 60 180 46 N\n"            // 3: line 4, 21 degrees off its plane
      "90 60\n270 -60 N\n"          // 4: lines 5-6, upward: N read as reverse
      "90 60 180 -0 D\n"            // 5: line 7, clean (-0 is not upward)
      "90 60 330 -40.9 D\n"         // 6: line 8, upward: D read as dextral all the same
      "90 60 180 0 right-lateral\n"   // 7: line 9
      "90 60 0 0 reverse-dextral\n"   // 8: line 10, R and D agree here
      "90 50 180 0 'reverse dextral'\n"  // 9: line 11, they do not
      "90 60 0 0 strike-slip\n"       // 10: line 12
      "90 60 180 0 Sinistral site 4\n"  // 11: line 13, clean
      "90 60 90 60 n\n";            // 12: line 14, datum 1 again
  std::vector<DatumWarning> w = warnings_of(text);
  std::vector<std::string> lines;
  for (const DatumWarning& warning : w) lines.push_back(warning_line(warning));
  const std::vector<std::string> expected = {
      "datum 2 (file line 3): dip 95 is outside 0 to 90",
      "datum 3 (file line 4): slip line 21\u00B0 off the plane",
      "datum 4 (file line 5): upward slip line (plunge -60): sense N is read as reverse; its "
      "downward end is 90.0/60.0",
      "datum 6 (file line 8): upward slip line (plunge -40.9): sense D is read as dextral all "
      "the same; its downward end is 150.0/40.9",
      "datum 7 (file line 9): sense word \"right-lateral\" is read as R (reverse), by its first "
      "letter; write D for dextral",
      "datum 8 (file line 10): sense word \"reverse-dextral\" is read as R (reverse), by its "
      "first letter; its dextral part gives the same motion on this slip line",
      "datum 9 (file line 11): sense word \"reverse dextral\" is read as R (reverse), by its "
      "first letter; its dextral part gives the opposite motion on this slip line: check the "
      "datum",
      "datum 10 (file line 12): sense word \"strike-slip\" is read as S (sinistral), by its first "
      "letter; write D or S",
      "datum 12 (file line 14): the same five values as datum 1 (file line 1)",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(warnings_summary(w, 12),
            "9 of 12 data have warnings (see above); --strict refuses such files");
}

// The limit of the angle off the plane is in whole degrees, as written.
TEST(DataChecksTest, TenDegreesOffThePlaneIsNoWarning) {
  // Plane 90/60; lines turned off it about the strike line by 10.4 and
  // 10.6 degrees: down-dip lines of plunge 60 -+ that much.
  EXPECT_TRUE(warnings_of("90 60 90 49.6 N\n90 60 90 70.4 N\n").empty());
  EXPECT_EQ(warnings_of("90 60 90 49.4 N\n").size(), 1u);
}

TEST(DataChecksTest, NoneOnTheExamples) {
  for (const char* name : {"normal_faults.fdt", "strike_slip_faults.fdt", "thrust_faults.fdt"}) {
    FaultSet set;
    std::vector<DatumSource> sources;
    ASSERT_FALSE(read_data_file(example_path(name), set, sources)) << name;
    std::vector<DatumWarning> w = check_fault_data(set, sources);
    EXPECT_TRUE(w.empty()) << name << ": " << (w.empty() ? "" : warning_line(w[0]));
  }
}

}  // namespace
