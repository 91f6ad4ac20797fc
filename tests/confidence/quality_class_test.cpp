// The quality class at its boundaries: each class takes its bound itself
// and the next class begins a hundredth of a degree beyond it, also for an
// interval that crosses north and for ends written to tenths; E without an
// SHmax, without a bootstrap, or where too many resamples have no SHmax.
#include <gtest/gtest.h>

#include "confidence/quality_class.h"

namespace {

Confidence confidence_with(std::optional<Interval> shmax, int32_t undefined = 0) {
  Confidence c{};
  c.level = 0.95;
  c.resamples = 1000;
  c.shmax = shmax;
  c.shmax_undefined = undefined;
  return c;
}

TEST(QualityClass, EachClassEndsAtItsBound) {
  struct Case { double halfwidth; char letter; };
  for (Case c : {Case{0.0, 'A'}, Case{15.0, 'A'}, Case{15.01, 'B'}, Case{20.0, 'B'},
                 Case{20.01, 'C'}, Case{25.0, 'C'}, Case{25.01, 'D'}, Case{40.0, 'D'},
                 Case{40.01, 'E'}, Case{90.0, 'E'}})
    EXPECT_EQ(quality_letter(c.halfwidth), c.letter) << c.halfwidth;
  EXPECT_EQ(quality_letter(std::nullopt), 'E');
}

TEST(QualityClass, HalfWidthOfIntervalsAsWritten) {
  // Ends to tenths whose difference is not exact in binary: 30.0 wide.
  EXPECT_EQ(shmax_halfwidth(Interval{10.1, 40.1}), 15.0);
  EXPECT_EQ(quality_class(25.0, confidence_with(Interval{10.1, 40.1})).letter, 'A');
  EXPECT_EQ(quality_class(25.0, confidence_with(Interval{10.1, 40.2})).letter, 'B');
  // Across north: 170.3 to 9.7 is 19.4 wide.
  EXPECT_DOUBLE_EQ(shmax_halfwidth(Interval{170.3, 9.7}), 9.7);
  EXPECT_EQ(quality_class(0.0, confidence_with(Interval{155.0, 25.0})).letter, 'C');
  EXPECT_EQ(quality_class(0.0, confidence_with(Interval{140.0, 40.0})).letter, 'D');
  EXPECT_EQ(quality_class(0.0, confidence_with(Interval{139.9, 40.0})).letter, 'E');
}

TEST(QualityClass, EWithoutAnShmaxOrABootstrap) {
  EXPECT_EQ(quality_class(20.0, std::nullopt).letter, 'E');
  EXPECT_FALSE(quality_class(20.0, std::nullopt).shmax_halfwidth);
  EXPECT_EQ(quality_class(20.0, confidence_with(std::nullopt)).letter, 'E');
  // The best state without an SHmax: E, the interval's half-width kept.
  QualityClass undefined = quality_class(std::nullopt, confidence_with(Interval{10.0, 20.0}));
  EXPECT_EQ(undefined.letter, 'E');
  EXPECT_EQ(undefined.shmax_halfwidth, 5.0);
  // 50 of 1000 resamples without an SHmax leave 95 % in the interval; 51 not.
  EXPECT_EQ(quality_class(15.0, confidence_with(Interval{10.0, 20.0}, 50)).letter, 'A');
  EXPECT_EQ(quality_class(15.0, confidence_with(Interval{10.0, 20.0}, 51)).letter, 'E');
}

}  // namespace
