// The SVG builder: text reaches the picture escaped, numbers with two
// decimals.
#include <gtest/gtest.h>

#include "plot/svg_writer.h"

namespace {

TEST(SvgWriterTest, TextIsEscapedForXml) {
  EXPECT_EQ(svg_escape("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
  EXPECT_EQ(svg_escape("data\x01.fdt"), "data?.fdt");
  std::string out;
  svg_text(out, SvgPoint{1, 2}, "R&D <faults>", "");
  EXPECT_EQ(out, "<text x=\"1.00\" y=\"2.00\" >R&amp;D &lt;faults&gt;</text>\n");
}

TEST(SvgWriterTest, NumbersHaveTwoDecimalsAndNoNegativeZero) {
  EXPECT_EQ(svg_number(12.345678), "12.35");
  EXPECT_EQ(svg_number(-0.001), "0.00");
  EXPECT_EQ(svg_number(-3.5), "-3.50");
}

}  // namespace
