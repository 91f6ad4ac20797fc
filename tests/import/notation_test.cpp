// Each notation on small files of our own, with conversions worked by
// hand. Two formulas do most of the hand work:
//  - a pitch p from a strike end, on a plane of dip d, gives a line of
//    plunge asin(sin p sin d) whose trend lies atan(cot p / cos d) from
//    the dip direction towards that end;
//  - a rake r from the right-hand-rule strike gives a line of plunge
//    asin(|sin r| sin d) whose trend lies atan(tan r cos d) from the strike.
#include "import/import_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "data/data_file.h"
#include "data/data_file.h"
#include "support/program_runner.h"

namespace {

std::string written(const ImportOutcome& outcome) {
  std::string text;
  for (const ImportedDatum& d : outcome.data) text += fdt_line(d);
  return text;
}

struct Case {
  const char* what;
  const char* name;  // its extension may tell the notation
  const char* text;
  const char* expected;
  ImportOptions options = {};
};

ImportOptions with_sense(char sense) {
  ImportOptions o;
  o.sense = sense;
  return o;
}

ImportOptions no_bedding() {
  ImportOptions o;
  o.corrections.bedding = Bedding{0, 0, false};
  return o;
}

ImportOptions bare_trend(char sense) {
  ImportOptions o = with_sense(sense);
  o.bare_pitch_is_trend = true;
  return o;
}

TEST(ImportNotationTest, HandWorkedConversions) {
  const Case cases[] = {
      // Strike 045 dipping S: dip direction 135; the E end of the strike
      // is 045, so the line trends 135 - atan(cot 80 / cos 61) = 115.0 and
      // plunges asin(sin 80 sin 61) = 59.47.
      {"quadrant, E end, S side", "a.txt", "045\t61S\t80E\tN\n", "135.0 61.0 115.0 59.5 N\n"},
      // The same plane dipping N (315), pitch from the W end (225).
      {"quadrant, W end, N side", "a.txt", "045 61N 80W\n", "315.0 61.0 295.0 59.5 N\n",
       with_sense('N')},
      // Strike 090 dipping N, pitch 90: straight down the dip.
      {"quadrant, pitch 90", "a.txt", "090 30N 90E R\n", "  0.0 30.0   0.0 30.0 R\n"},
      // A bare number is the trend of the line, here of its upward end:
      // the plunge of trend 132 on 306/50 is atan(tan 50 cos 174) = -49.8,
      // so the downward end trends 312.
      {"quadrant, bare trend", "a.txt", "036 50N 132\n", "306.0 50.0 312.0 49.8 N\n",
       bare_trend('N')},
      // Right-hand-rule strike 000 dips east (090): rake -90 normal, 90
      // reverse, 0 sinistral (the hanging wall moves north: to the left of
      // one standing on the footwall), 180 dextral.
      {"rake, pure senses", "b.csv", "strike,dip,rake\n0,60,-90\n0,60,90\n0,60,0\n0,60,180\n",
       " 90.0 60.0  90.0 60.0 N\n 90.0 60.0  90.0 60.0 R\n 90.0 60.0   0.0  0.0 S\n"
       " 90.0 60.0 180.0  0.0 D\n"},
      // Rake -30 (330): trend atan(tan 30 cos 60) = 16.1 from the strike,
      // plunge asin(sin 30 sin 60) = 25.7; mostly along strike, so S.
      // Rake 250 on 120/40 is 70 from the strike end 210: trend
      // 210 - atan(tan 70 cos 40) = 145.4,
      // plunge asin(sin 70 sin 40) = 37.2, mostly down the dip, so N.
      {"rake, oblique", "b.csv", "Strike,Dip,Rake\n0,60,330\n30,40,250\n",
       " 90.0 60.0  16.1 25.7 S\n120.0 40.0 145.4 37.2 N\n"},
      // Vertical fault striking 090 (dips "south", 180), rake 120: the
      // south block moves up and west, to the right of one on the north
      // block: reverse-dextral, reverse the larger part.
      {"rake, vertical fault", "b.csv", "strike,dip,rake\n90,90,120\n90,90,0\n",
       "180.0 90.0  90.0 60.0 R\n180.0 90.0  90.0  0.0 S\n"},
      // Trend and plunge of the upward end, semicolons, decimal commas,
      // quoted header, sense words; a horizontal line on a vertical plane.
      {"upward end", "c.csv",
       "\"Dip direction\";\"DIP\";\"Trend\";\"Plunge\";\"Sense\"\n90;60,0;270;-60,0;normal\n"
       "0;90;270;0;Dextral\n",
       " 90.0 60.0  90.0 60.0 N\n  0.0 90.0 270.0  0.0 D\n"},
      // A dip direction column of letters is the quadrant of a strike; a
      // rake column with an end-letter column is a pitch.
      {"strike with letter columns", "d.csv",
       "\"\",\"id\",\"Strike\",\"Dip\",\"Dip_direction\",\"Rake\",\"Direction\",\"sense\"\n"
       "\"1\",1,45,61,\"S\",80,\"E\",\"N\"\n",
       "135.0 61.0 115.0 59.5 N\n"},
      // RGF: a blank DATATYPE repeats the one above; bedding is no datum
      // (and is left out here); pitch and letter, or trend and plunge, in
      // L_DIP_DIR and L_DIP. A5
      // is 59 from the W end (292) of 202/88: 202 + atan(cot 59 / cos 88)
      // = 288.7, plunge asin(sin 59 sin 88) = 58.9.
      {"rgf", "e.rgf",
       "DATA_ID\tDATATYPE\tDIP_DIR\tDIP\tL_DIP_DIR\tL_DIP\tSENSE\r\n"
       "A1\tSTRIAE\t135\t61\t80\tE\tN\r\nA2\t\t135\t61\t115.0\t59.5\tNORMAL\r\n"
       "A3\tbedding\t50\t80\t\t\t\r\nA4\t\t51\t80\t\t\t\r\nA5\tstriae\t202\t88\t59\tW\tS\r\n",
       "135.0 61.0 115.0 59.5 N\n135.0 61.0 115.0 59.5 N\n202.0 88.0 288.7 58.9 S\n",
       no_bedding()},
  };
  for (const Case& c : cases) {
    ImportOutcome outcome = import_text(c.name, c.text, c.options);
    EXPECT_EQ(outcome.refused, 0) << c.what;
    EXPECT_EQ(written(outcome), c.expected) << c.what;
    for (const std::string& line : outcome.report) ADD_FAILURE() << c.what << ": " << line;
  }
  // The bedding records back-tilt the striae of their site, and say so.
  ImportOutcome tilted = import_text("e.rgf", cases[9].text, {});
  EXPECT_EQ(tilted.not_striae, 0);
  EXPECT_EQ(tilted.report, std::vector<std::string>{
                               "e.rgf: bedding 50.5/80 (the file's bedding records, file lines 4, "
                               "5, their mean): 3 data back-tilted about its strike line by 80 "
                               "degrees"});
}

TEST(ImportNotationTest, EveryBadRowIsListedByItsLine) {
  const char* text =
      "# hand-made, with faults\n"
      "strike;dip;pitch;sense\n"
      "\n"
      "090;30E;80E;N\n"
      "090;30N;80N;N\n"
      "045;95S;95E;N\n"
      "045;61S;80E;X\n"
      "045;61Q;80E;N\n"
      "abc;61S;;N\n"
      "45,0;61S;80E;N\n";
  ImportOutcome outcome = import_text("f.csv", text, {});
  EXPECT_EQ(outcome.notation, Notation::columns);
  EXPECT_EQ(written(outcome), "135.0 61.0 115.0 59.5 N\n");
  EXPECT_EQ(outcome.refused, 6);
  std::vector<std::string> expected = {
      "f.csv:4: dip quadrant E cannot be on the dip side of strike 90",
      "f.csv:5: pitch letter N names neither end of the strike line 90/270",
      "f.csv:6: dip 95 is out of range (0 to 90)",
      "f.csv:6: pitch 95 is out of range (0 to 90)",
      "f.csv:7: unknown sense 'X'",
      "f.csv:8: dip quadrant 'Q' is not a compass letter",
      "f.csv:9: strike 'abc' is not a number",
      "f.csv:9: no pitch",
  };
  EXPECT_EQ(outcome.report, expected);
}

TEST(ImportNotationTest, SlipLineOffItsPlaneAndSenseAgainstRake) {
  // Plane 090/60 holds the line 090/60; 090/55 is 5 degrees off it and is
  // projected back, 090/45 is 15 off and refused, or kept with a wider
  // tolerance.
  const char* lines = "dipdir dip trend plunge sense\n90 60 90 55 N\n90 60 90 45 N\n";
  ImportOutcome outcome = import_text("g.txt", lines, {});
  EXPECT_EQ(written(outcome), " 90.0 60.0  90.0 60.0 N\n");
  std::vector<std::string> expected = {
      "g.txt:2: slip line 5 degrees off the plane, projected onto it",
      "g.txt:3: slip line 15 degrees off the plane (tolerance 10)"};
  EXPECT_EQ(outcome.report, expected);
  ImportOptions wide;
  wide.tolerance = 20;
  EXPECT_EQ(import_text("g.txt", lines, wide).data.size(), 2u);

  // Rake -90 is normal; -30 has a normal part of sin 30, enough to be
  // checked, and a sinistral one; -5 has too small a dip part for R to be
  // checked, so its letter follows the rake.
  const char* senses = "strike,dip,rake,sense\n0,60,-90,R\n0,60,-30,D\n0,60,-30,N\n0,60,-5,R\n";
  outcome = import_text("h.csv", senses, {});
  EXPECT_EQ(written(outcome), " 90.0 60.0  16.1 25.7 N\n 90.0 60.0   2.5  4.3 S\n");
  expected = {"h.csv:2: sense R (reverse) contradicts rake -90 (normal)",
              "h.csv:3: sense D (dextral) contradicts rake -30 (sinistral)"};
  EXPECT_EQ(outcome.report, expected);
}

TEST(ImportNotationTest, NotationsAreRecognised) {
  struct Known {
    const char* name;
    const char* text;
    Notation notation;
  } known[] = {{"x.rgf", "anything\n", Notation::rgf},
               {"x.txt", "ID\tDATATYPE\tDIP_DIR\tDIP\n", Notation::rgf},
               {"x.txt", ",strike,dip,rake\n0,45.0,61,280.0\n", Notation::columns},
               {"x.txt", "045 61S 80E\n", Notation::quadrant},
               {"x.txt", "90, 60, 180, 0, 'Dextral'\n", Notation::fdt},
               {"x.txt", "whatever this is\n", Notation::unknown}};
  for (const Known& k : known) {
    EXPECT_EQ(import_text(k.name, k.text, {}).notation, k.notation) << k.text;
  }
  ImportOutcome outcome = import_text("x.csv", "strike,dip\n10,20\n", {});
  EXPECT_FALSE(outcome.readable);
  ASSERT_GE(outcome.report.size(), 3u);
  EXPECT_EQ(outcome.report[0],
            "x.csv: the header names no column of a slip trend and plunge, a rake or a pitch");
  // Then the names it knows, for each field.
  EXPECT_EQ(outcome.report[1], "  header names known (case, blanks, underscores and hyphens aside):");
  EXPECT_NE(std::find(outcome.report.begin(), outcome.report.end(),
                      "    slip trend: trend, sliptrend, slipazimuth, striaetrend, lineationtrend, "
                      "ldipdir"),
            outcome.report.end());
}

// A table saved as "Unicode text" reads as the same table in UTF-8; one
// cut inside a character is refused with what to do.
TEST(ImportNotationTest, Utf16TextReadsAsText) {
  const std::string utf8 = "strike,dip,rake\n0,60,-90\n";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char c : utf8) little += std::string{c, '\0'}, big += std::string{'\0', c};
  for (const std::string& text : {little, big}) {
    ImportOutcome outcome = import_text("u.csv", text, {});
    EXPECT_EQ(written(outcome), " 90.0 60.0  90.0 60.0 N\n");
    EXPECT_EQ(outcome.report, std::vector<std::string>{"u.csv: read as UTF-16 text"});
  }
  ImportOutcome cut = import_text("u.csv", little.substr(0, little.size() - 1), {});
  EXPECT_FALSE(cut.readable);
  EXPECT_EQ(cut.refusal, "UTF-16 text cut inside a character: save it as UTF-8");
}

// What the writer writes reads back through our own reader to the values
// it shows, and an existing file stays untouched without --overwrite.
TEST(ImportNotationTest, WrittenFileReadsBack) {
  std::string folder = make_temp_folder();
  std::string path = folder + "/out.fdt";
  std::vector<ImportedDatum> data = {{359.96, 89.96, 0.04, -0.01, 'D'}, {123.449, 5.05, 270.25, 0, 'N'}};
  ASSERT_EQ(write_fdt_file(path, data, false), WriteStatus::written);
  EXPECT_EQ(read_file(path), "  0.0 90.0   0.0  0.0 D\n123.4  5.1 270.3  0.0 N\n");
  FaultSet set;
  ASSERT_FALSE(read_data_file(path, set));
  ASSERT_EQ(set.count, 2);
  EXPECT_EQ(set.data[1].dip_direction, 123.4f);
  EXPECT_EQ(set.data[1].dip_angle, 5.1f);
  EXPECT_EQ(set.data[1].slip_azimuth, 270.3f);
  EXPECT_EQ(set.data[0].sense, 'D');
  EXPECT_EQ(write_fdt_file(path, {data[1]}, false), WriteStatus::exists);
  EXPECT_EQ(read_file(path), "  0.0 90.0   0.0  0.0 D\n123.4  5.1 270.3  0.0 N\n");
  EXPECT_EQ(write_fdt_file(path, {data[1]}, true), WriteStatus::written);
  EXPECT_EQ(read_file(path), "123.4  5.1 270.3  0.0 N\n");
  std::filesystem::remove_all(folder);
}

}  // namespace
