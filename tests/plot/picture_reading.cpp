#include "plot/picture_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "geometry/vectors.h"

#include "plot/net_drawing.h"
#include "support/program_runner.h"

// ---- a small XML well-formedness check ----------------------------------

static bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':'; }

static bool entities_are_valid(const std::string& text) {
  static const std::regex entity("&(amp|lt|gt|quot|apos);");
  for (size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 1)) {
    if (!std::regex_search(text.substr(at, 6), entity, std::regex_constants::match_continuous))
      return false;
  }
  return true;
}

// Tags balanced, attributes quoted and unique, text and values escaped,
// one root element <svg>.
std::string xml_problem(const std::string& xml) {
  std::vector<std::string> open;
  size_t at = 0;
  int roots = 0;
  if (xml.compare(0, 5, "<?xml") == 0) at = xml.find("?>") + 2;
  while (at < xml.size()) {
    size_t lt = xml.find('<', at);
    std::string text = xml.substr(at, lt == std::string::npos ? std::string::npos : lt - at);
    if (text.find('>') != std::string::npos || !entities_are_valid(text)) return "bad text: " + text;
    if (open.empty() && text.find_first_not_of(" \n") != std::string::npos) return "text outside root";
    if (lt == std::string::npos) break;
    size_t gt = xml.find('>', lt);
    if (gt == std::string::npos) return "unclosed tag";
    std::string tag = xml.substr(lt + 1, gt - lt - 1);
    at = gt + 1;
    if (tag.find('<') != std::string::npos) return "< inside a tag: " + tag;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return "unbalanced </" + tag.substr(1) + ">";
      open.pop_back();
      continue;
    }
    bool empty = tag.back() == '/';
    if (empty) tag.pop_back();
    size_t i = 0;
    while (i < tag.size() && is_name_char(tag[i])) ++i;
    std::string name = tag.substr(0, i);
    if (name.empty()) return "tag without a name";
    std::set<std::string> seen;
    while (true) {
      while (i < tag.size() && tag[i] == ' ') ++i;
      if (i == tag.size()) break;
      size_t start = i;
      while (i < tag.size() && is_name_char(tag[i])) ++i;
      std::string attribute = tag.substr(start, i - start);
      if (attribute.empty() || i + 1 >= tag.size() || tag[i] != '=' || tag[i + 1] != '"')
        return "bad attribute in <" + tag + ">";
      size_t close = tag.find('"', i + 2);
      if (close == std::string::npos || !entities_are_valid(tag.substr(i + 2, close - i - 2)))
        return "bad attribute value in <" + tag + ">";
      if (!seen.insert(attribute).second) return "repeated attribute " + attribute;
      i = close + 1;
    }
    if (open.empty() && ++roots > 1) return "two root elements";
    if (open.empty() && name != "svg") return "root is not svg";
    if (!empty) open.push_back(name);
  }
  return open.empty() && roots == 1 ? "" : "unclosed elements";
}

// ---- reading the picture back --------------------------------------------

// The text of the element with this id up to its closing </g> (for groups)
// or the end of its tag.
std::string group_text(const std::string& svg, const std::string& id) {
  size_t at = svg.find("id=\"" + id + "\"");
  if (at == std::string::npos) return "";
  size_t start = svg.rfind('<', at);
  size_t end = svg.find("</g>", at);
  return svg.substr(start, end - start);
}

SvgPoint translation_of(const std::string& svg, const std::string& id) {
  std::smatch m;
  std::string g = group_text(svg, id);
  if (!std::regex_search(g, m, std::regex("translate\\(([-0-9.]+),([-0-9.]+)\\)")))
    return SvgPoint{NAN, NAN};
  return SvgPoint{std::stod(m[1]), std::stod(m[2])};
}

size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Where an axis must appear: the net's centre plus the equal-area radius
// sqrt(2) sin(c / 2) (c the colatitude from the downward vertical) times
// the radius of the primitive, north up.
SvgPoint expected_point(double azimuth, double plunge) {
  double r = std::sqrt(2.0) * std::sin((90.0 - plunge) * DEGREE / 2.0) * NET_FRAME.radius;
  return SvgPoint{NET_FRAME.centre_x + r * std::sin(azimuth * DEGREE),
                  NET_FRAME.centre_y - r * std::cos(azimuth * DEGREE)};
}

void expect_at(SvgPoint actual, SvgPoint expected, const std::string& what) {
  EXPECT_NEAR(actual.x, expected.x, 0.006) << what;
  EXPECT_NEAR(actual.y, expected.y, 0.006) << what;
}
