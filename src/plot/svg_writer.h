// A tiny builder of SVG text: shapes and labels appended to one string,
// numbers with two decimals, text escaped for XML.
#ifndef SORVEL_PLOT_SVG_WRITER_H_
#define SORVEL_PLOT_SVG_WRITER_H_

#include <string>
#include <vector>

struct SvgPoint {
  double x;  // picture coordinates: right
  double y;  // down
};

/// The text with &, <, >, " and ' replaced by XML entities.
std::string svg_escape(const std::string& text);

/// A number with two decimals ("-0.00" is written "0.00").
std::string svg_number(double value);

void svg_begin(std::string& out, int width, int height, const std::string& title);
void svg_end(std::string& out);

/// `style` is a list of presentation attributes, written as given
/// (for example: fill="none" stroke="black").
void svg_line(std::string& out, SvgPoint from, SvgPoint to, const std::string& style);
void svg_circle(std::string& out, SvgPoint centre, double radius, const std::string& style);
void svg_rect(std::string& out, SvgPoint corner, double width, double height,
              const std::string& style);
void svg_polyline(std::string& out, const std::vector<SvgPoint>& points, const std::string& style);
void svg_polygon(std::string& out, const std::vector<SvgPoint>& points, const std::string& style);
void svg_text(std::string& out, SvgPoint at, const std::string& text, const std::string& style);

/// A clipping path of one circle, for groups styled clip-path="url(#id)".
void svg_clip_circle(std::string& out, const std::string& id, SvgPoint centre, double radius);

/// Groups elements under an id and a style shared by all of them.
void svg_group_begin(std::string& out, const std::string& id, const std::string& style);
void svg_group_end(std::string& out);

#endif  // SORVEL_PLOT_SVG_WRITER_H_
