#include "common/free_format.h"

#include <gtest/gtest.h>

namespace {

const std::vector<ValueKind> DATUM = {ValueKind::real, ValueKind::real, ValueKind::real,
                                      ValueKind::real, ValueKind::text};

struct Read {
  ReadStatus status;
  std::vector<FreeFormValue> values;
};

Read read_from(StringLineSource& source, const std::vector<ValueKind>& kinds = DATUM) {
  Read r;
  r.status = read_free_form(source, kinds, r.values);
  return r;
}

TEST(FreeFormTest, SeparatorsBlanksTabsAndCommas) {
  StringLineSource source("10 20,30 ,\t40\t, N\n");
  Read r = read_from(source);
  ASSERT_EQ(r.status, ReadStatus::ok);
  EXPECT_EQ(r.values[0].real, 10.0f);
  EXPECT_EQ(r.values[1].real, 20.0f);
  EXPECT_EQ(r.values[2].real, 30.0f);
  EXPECT_EQ(r.values[3].real, 40.0f);
  EXPECT_EQ(r.values[4].text, "N");
}

TEST(FreeFormTest, ReadContinuesOnNextLinesAndEndsWithItsLastLine) {
  StringLineSource source("\n   \n1 2 3\n\n4 Normal site-7 extra\n5 6 7 8 R\n");
  Read r = read_from(source);
  ASSERT_EQ(r.status, ReadStatus::ok);
  EXPECT_EQ(r.values[3].real, 4.0f);
  EXPECT_EQ(r.values[4].text, "Normal");
  Read next = read_from(source);
  ASSERT_EQ(next.status, ReadStatus::ok);
  EXPECT_EQ(next.values[0].real, 5.0f);
  EXPECT_TRUE(source.at_end());
}

TEST(FreeFormTest, SlashAndNullValuesLeaveValuesUnset) {
  StringLineSource slash("1 2 / 3 4 N\n");
  Read r = read_from(slash);
  EXPECT_EQ(r.status, ReadStatus::ok);
  EXPECT_TRUE(r.values[1].set);
  EXPECT_FALSE(r.values[2].set);
  EXPECT_FALSE(r.values[4].set);

  StringLineSource commas("1,,3,4,N\n");
  r = read_from(commas);
  EXPECT_EQ(r.status, ReadStatus::ok);
  EXPECT_FALSE(r.values[1].set);
  EXPECT_TRUE(r.values[2].set);
  EXPECT_EQ(r.values[2].real, 3.0f);

  StringLineSource leading(", 2 3 4 N\n");
  r = read_from(leading);
  EXPECT_FALSE(r.values[0].set);
  EXPECT_EQ(r.values[1].real, 2.0f);
}

TEST(FreeFormTest, CommaAtLineEndIsOnlyASeparator) {
  StringLineSource source("1, 2,\n3, 4, D\n");
  Read r = read_from(source);
  ASSERT_EQ(r.status, ReadStatus::ok);
  for (const FreeFormValue& v : r.values) EXPECT_TRUE(v.set);
  EXPECT_EQ(r.values[2].real, 3.0f);
}

TEST(FreeFormTest, QuotedTexts) {
  StringLineSource source("1 2 3 4 'dextral' \n1 2 3 4 \"S\"\n1 2 3 4 'it''s'\n");
  EXPECT_EQ(read_from(source).values[4].text, "dextral");
  EXPECT_EQ(read_from(source).values[4].text, "S");
  EXPECT_EQ(read_from(source).values[4].text, "it's");
}

TEST(FreeFormTest, BareNumberIsTextWhereTextIsDue) {
  StringLineSource source("1 2 3 4 5\n");
  Read r = read_from(source);
  ASSERT_EQ(r.status, ReadStatus::ok);
  EXPECT_EQ(r.values[4].text, "5");
}

TEST(FreeFormTest, BadValuesAndEndOfInput) {
  StringLineSource word("dip 2 3 4 N\n");
  EXPECT_EQ(read_from(word).status, ReadStatus::bad_value);
  StringLineSource quoted_number("'1' 2 3 4 N\n");
  EXPECT_EQ(read_from(quoted_number).status, ReadStatus::bad_value);
  StringLineSource short_datum("1 2 3\n");
  EXPECT_EQ(read_from(short_datum).status, ReadStatus::end_of_input);
  StringLineSource empty("");
  EXPECT_EQ(read_from(empty).status, ReadStatus::end_of_input);
}

TEST(FreeFormTest, IntegersForTheMenu) {
  StringLineSource source("  3  \n1.5\n+2\n");
  Read r = read_from(source, {ValueKind::integer});
  EXPECT_EQ(r.values[0].integer, 3);
  EXPECT_EQ(read_from(source, {ValueKind::integer}).status, ReadStatus::bad_value);
  EXPECT_EQ(read_from(source, {ValueKind::integer}).values[0].integer, 2);
}

TEST(FreeFormTest, RealSyntax) {
  float v = 0.0f;
  EXPECT_TRUE(parse_real("45", v));
  EXPECT_EQ(v, 45.0f);
  EXPECT_TRUE(parse_real("-1.5e1", v));
  EXPECT_EQ(v, -15.0f);
  EXPECT_TRUE(parse_real("+2.", v));
  EXPECT_EQ(v, 2.0f);
  EXPECT_TRUE(parse_real(".25", v));
  EXPECT_EQ(v, 0.25f);
  EXPECT_TRUE(parse_real("1.0D2", v));
  EXPECT_EQ(v, 100.0f);
  EXPECT_TRUE(parse_real("0.1", v));
  EXPECT_EQ(v, 0.1f);  // rounded once, straight to single precision
  for (const char* bad : {"", "+", ".", "-.", "1e", "1e+", "1.2.3", "0x10", "NaN", "inf",
                          "Infinity", "1e39", "-4e38", "12a", "1,2"}) {
    EXPECT_FALSE(parse_real(bad, v)) << bad;
  }
}

TEST(FreeFormTest, CarriageReturnsAndByteOrderMark) {
  std::FILE* f = std::tmpfile();
  std::fputs("\xEF\xBB\xBF" "1 2 3 4 N\r\n5 6 7 8 R\r\n", f);
  std::rewind(f);
  StreamLineSource source(f, true);
  std::vector<FreeFormValue> values;
  ASSERT_EQ(read_free_form(source, DATUM, values), ReadStatus::ok);
  EXPECT_EQ(values[0].real, 1.0f);
  ASSERT_EQ(read_free_form(source, DATUM, values), ReadStatus::ok);
  EXPECT_EQ(values[4].text, "R");
  EXPECT_TRUE(source.at_end());
  EXPECT_FALSE(source.failed());
  std::fclose(f);
}

}  // namespace
