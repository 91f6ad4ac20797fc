#include "plot/svg_writer.h"

#include <cstdio>

std::string svg_escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // Control characters are not allowed in XML 1.0 text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') out += '?';
        else out += c;
    }
  }
  return out;
}

std::string svg_number(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  std::string text = buffer;
  if (text == "-0.00") text = "0.00";
  return text;
}

static std::string point_list(const std::vector<SvgPoint>& points) {
  std::string list;
  for (const SvgPoint& p : points) {
    if (!list.empty()) list += ' ';
    list += svg_number(p.x) + "," + svg_number(p.y);
  }
  return list;
}

void svg_begin(std::string& out, int width, int height, const std::string& title) {
  std::string w = std::to_string(width), h = std::to_string(height);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
         "\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  out += "<title>" + svg_escape(title) + "</title>\n";
  out += "<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"white\"/>\n";
}

void svg_end(std::string& out) { out += "</svg>\n"; }

void svg_line(std::string& out, SvgPoint from, SvgPoint to, const std::string& style) {
  out += "<line x1=\"" + svg_number(from.x) + "\" y1=\"" + svg_number(from.y) + "\" x2=\"" +
         svg_number(to.x) + "\" y2=\"" + svg_number(to.y) + "\" " + style + "/>\n";
}

void svg_circle(std::string& out, SvgPoint centre, double radius, const std::string& style) {
  out += "<circle cx=\"" + svg_number(centre.x) + "\" cy=\"" + svg_number(centre.y) +
         "\" r=\"" + svg_number(radius) + "\" " + style + "/>\n";
}

void svg_rect(std::string& out, SvgPoint corner, double width, double height,
              const std::string& style) {
  out += "<rect x=\"" + svg_number(corner.x) + "\" y=\"" + svg_number(corner.y) +
         "\" width=\"" + svg_number(width) + "\" height=\"" + svg_number(height) + "\" " +
         style + "/>\n";
}

void svg_polyline(std::string& out, const std::vector<SvgPoint>& points, const std::string& style) {
  out += "<polyline points=\"" + point_list(points) + "\" " + style + "/>\n";
}

void svg_polygon(std::string& out, const std::vector<SvgPoint>& points, const std::string& style) {
  out += "<polygon points=\"" + point_list(points) + "\" " + style + "/>\n";
}

void svg_text(std::string& out, SvgPoint at, const std::string& text, const std::string& style) {
  out += "<text x=\"" + svg_number(at.x) + "\" y=\"" + svg_number(at.y) + "\" " + style + ">" +
         svg_escape(text) + "</text>\n";
}

void svg_clip_circle(std::string& out, const std::string& id, SvgPoint centre, double radius) {
  out += "<clipPath id=\"" + svg_escape(id) + "\">\n";
  svg_circle(out, centre, radius, "");
  out += "</clipPath>\n";
}

void svg_group_begin(std::string& out, const std::string& id, const std::string& style) {
  out += "<g id=\"" + svg_escape(id) + "\" " + style + ">\n";
}

void svg_group_end(std::string& out) { out += "</g>\n"; }
