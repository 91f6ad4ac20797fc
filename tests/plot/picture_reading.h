// For the tests of sorvel-plot: running the real program, checking that
// its picture is well-formed XML and reading back where it drew things.
#ifndef SORVEL_TESTS_PLOT_PICTURE_READING_H_
#define SORVEL_TESTS_PLOT_PICTURE_READING_H_

#include <string>

#include "plot/svg_writer.h"

struct PlotRun {
  int status = -1;
  std::string out, err;
};

/// Runs sorvel-plot in `folder` with the given (shell-quoted) arguments.
PlotRun run_plot(const std::string& folder, const std::string& arguments);

/// Empty when the text is well-formed XML with one root <svg>: tags
/// balanced, attributes quoted and unique, text and values escaped.
std::string xml_problem(const std::string& xml);

/// The text of the element with this id up to its closing </g> (for
/// groups) or the end of its tag; empty when there is none.
std::string group_text(const std::string& svg, const std::string& id);

/// The translation of the group with this id (NaN when none).
SvgPoint translation_of(const std::string& svg, const std::string& id);

size_t count_of(const std::string& text, const std::string& what);

/// Where an axis must appear on the large net: the equal-area radius
/// sqrt(2) sin(c / 2) (c the colatitude from the downward vertical) times
/// the radius of the primitive, north up.
SvgPoint expected_point(double azimuth, double plunge);

/// Within the two decimals of the picture's numbers.
void expect_at(SvgPoint actual, SvgPoint expected, const std::string& what);

#endif  // SORVEL_TESTS_PLOT_PICTURE_READING_H_
