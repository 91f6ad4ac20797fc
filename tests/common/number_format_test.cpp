#include "common/number_format.h"

#include <gtest/gtest.h>

namespace {

std::string fixed(float v, int width, int decimals) {
  std::string s;
  append_fixed(s, v, width, decimals);
  return s;
}

std::string integer(long v, int width) {
  std::string s;
  append_int(s, v, width);
  return s;
}

TEST(NumberFormatTest, IntegerFields) {
  EXPECT_EQ(integer(45, 3), " 45");
  EXPECT_EQ(integer(360, 3), "360");
  EXPECT_EQ(integer(-12, 4), " -12");
  EXPECT_EQ(integer(1000, 3), "***");
}

TEST(NumberFormatTest, FixedFields) {
  EXPECT_EQ(fixed(0.5f, 4, 1), " 0.5");
  EXPECT_EQ(fixed(0.90000004f, 4, 1), " 0.9");
  EXPECT_EQ(fixed(360.0f, 5, 1), "360.0");
  EXPECT_EQ(fixed(-100.0f, 5, 1), "*****");
  EXPECT_EQ(fixed(0.25f, 5, 1), "  0.3");     // halves away from zero
  EXPECT_EQ(fixed(-0.25f, 5, 1), " -0.3");
  EXPECT_EQ(fixed(-0.01f, 5, 1), " -0.0");
  EXPECT_EQ(fixed(0.123456789f, 10, 6), "  0.123457");
  EXPECT_EQ(fixed(1.0f, 10, 6), "  1.000000");
}

TEST(NumberFormatTest, RoundingOfWholeNumbers) {
  EXPECT_EQ(round_half_away(2.5f), 3);
  EXPECT_EQ(round_half_away(-2.5f), -3);
  EXPECT_EQ(round_half_away(89.5f), 90);
  EXPECT_EQ(round_half_away(2.4999998f), 2);
}

}  // namespace
