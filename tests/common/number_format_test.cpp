#include "common/number_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

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

// The fields are laid out without printf, for speed; printf's own layout
// of the same values is the reference, extremes and random values alike.
TEST(NumberFormatTest, FieldsAsPrintfLaysThemOut) {
  std::mt19937_64 random(7);
  std::vector<long> values = {0, 1, -1, 9, 10, -10, 99999999, -9999999, LONG_MAX, LONG_MIN};
  for (int i = 0; i < 20000; ++i) values.push_back(static_cast<long>(random()) >> (random() % 63));
  for (long v : values) {
    for (int width : {1, 2, 3, 8, 20}) {
      char text[64];
      std::snprintf(text, sizeof text, "%*ld", width, v);
      std::string expected = std::strlen(text) > static_cast<std::size_t>(width)
                                 ? std::string(static_cast<std::size_t>(width), '*') : text;
      ASSERT_EQ(integer(v, width), expected) << v;
      // The field written in place: the same text, nothing outside it.
      char field[24];
      std::memset(field, '#', sizeof field);
      write_int_field(field + 1, v, width);
      ASSERT_EQ(std::string(field + 1, static_cast<std::size_t>(width)), expected) << v;
      ASSERT_EQ(field[0], '#');
      ASSERT_EQ(field[width + 1], '#');
    }
  }
  std::uniform_real_distribution<float> real(-400.0f, 400.0f);
  for (int i = 0; i < 20000; ++i) {
    float v = real(random);
    for (int decimals : {0, 1, 6}) {
      // The field rounds the exact value of the float halves away from
      // zero; printf rounds halves to even, which no value here meets.
      char text[64];
      if (decimals == 0)
        std::snprintf(text, sizeof text, "%11.0f.", static_cast<double>(v));
      else
        std::snprintf(text, sizeof text, "%12.*f", decimals, static_cast<double>(v));
      double scaled = static_cast<double>(v) * std::pow(10.0, decimals);
      if (std::fabs(scaled - std::trunc(scaled)) == 0.5) continue;
      ASSERT_EQ(fixed(v, 12, decimals), text) << v << " " << decimals;
    }
  }
}

TEST(NumberFormatTest, RoundingOfWholeNumbers) {
  EXPECT_EQ(round_half_away(2.5f), 3);
  EXPECT_EQ(round_half_away(-2.5f), -3);
  EXPECT_EQ(round_half_away(89.5f), 90);
  EXPECT_EQ(round_half_away(2.4999998f), 2);
}

}  // namespace
