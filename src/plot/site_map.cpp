#include "plot/site_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geometry/vectors.h"
#include "plot/svg_writer.h"

namespace {

const int WIDTH = 960;
const int HEIGHT = 720;
const double FRAME_LEFT = 90, FRAME_TOP = 60, FRAME_WIDTH = 620, FRAME_HEIGHT = 580;
const double KM_PER_DEGREE = 111.32;   // along a meridian, and the equator
const double LEAST_SPAN_KM = 2.0;
const double FONT = 12;

struct Box {
  double left, top, right, bottom;
};

bool overlap(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The frame's window onto the earth, degrees, and its scale.
struct View {
  double lon_mid, lat_mid;
  double cos_mid;        // of the middle latitude
  double px_per_km;
  double lon_half, lat_half;  // half the frame in degrees
};

SvgPoint place(const View& v, double lon, double lat) {
  double x = (lon - v.lon_mid) * KM_PER_DEGREE * v.cos_mid * v.px_per_km;
  double y = (lat - v.lat_mid) * KM_PER_DEGREE * v.px_per_km;
  return SvgPoint{FRAME_LEFT + FRAME_WIDTH / 2 + x, FRAME_TOP + FRAME_HEIGHT / 2 - y};
}

View view_of(const std::vector<const MapRecord*>& sites) {
  double lon_min = 1e9, lon_max = -1e9, lat_min = 1e9, lat_max = -1e9;
  for (const MapRecord* r : sites) {
    lon_min = std::min(lon_min, *r->lon);
    lon_max = std::max(lon_max, *r->lon);
    lat_min = std::min(lat_min, *r->lat);
    lat_max = std::max(lat_max, *r->lat);
  }
  View v{};
  v.lon_mid = (lon_min + lon_max) / 2;
  v.lat_mid = (lat_min + lat_max) / 2;
  v.cos_mid = std::max(std::cos(v.lat_mid * DEGREE), 0.05);
  double dx_km = (lon_max - lon_min) * KM_PER_DEGREE * v.cos_mid;
  double dy_km = (lat_max - lat_min) * KM_PER_DEGREE;
  // A margin of a sixth of the span on each side, for bars and names.
  double span = std::max({dx_km, dy_km, LEAST_SPAN_KM});
  double need_x = std::max(dx_km, LEAST_SPAN_KM) + span / 3;
  double need_y = std::max(dy_km, LEAST_SPAN_KM) + span / 3;
  v.px_per_km = std::min(FRAME_WIDTH / need_x, FRAME_HEIGHT / need_y);
  v.lon_half = FRAME_WIDTH / 2 / v.px_per_km / (KM_PER_DEGREE * v.cos_mid);
  v.lat_half = FRAME_HEIGHT / 2 / v.px_per_km / KM_PER_DEGREE;
  return v;
}

// 1, 2 or 5 times a power of ten, the first at least `least`.
double nice_step(double least) {
  double power = std::pow(10.0, std::floor(std::log10(least)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= least * (1 - 1e-9)) return m * power;
  return 10 * power;
}

int decimals_of(double step) {
  return std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
}

std::string degrees_text(double value, int decimals, char positive, char negative) {
  char text[48];
  double shown = std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
  std::snprintf(text, sizeof text, "%.*f\u00b0%c", decimals, std::fabs(shown),
                shown < 0 ? negative : (shown > 0 ? positive : ' '));
  std::string s = text;
  if (s.back() == ' ') s.pop_back();
  return s;
}

void draw_graticule(std::string& out, const View& v) {
  double lon_step = nice_step(2 * v.lon_half / 6);
  double lat_step = nice_step(2 * v.lat_half / 6);
  int lon_decimals = decimals_of(lon_step), lat_decimals = decimals_of(lat_step);
  svg_group_begin(out, "graticule", "stroke=\"#bbbbbb\" stroke-width=\"0.8\"");
  for (double lon = std::ceil((v.lon_mid - v.lon_half) / lon_step) * lon_step;
       lon <= v.lon_mid + v.lon_half; lon += lon_step) {
    SvgPoint top = place(v, lon, v.lat_mid + v.lat_half), bottom = place(v, lon, v.lat_mid - v.lat_half);
    svg_line(out, top, bottom, "");
    svg_text(out, {bottom.x, bottom.y + 18}, degrees_text(lon, lon_decimals, 'E', 'W'),
             "stroke=\"none\" fill=\"black\" font-size=\"11\" text-anchor=\"middle\"");
  }
  for (double lat = std::ceil((v.lat_mid - v.lat_half) / lat_step) * lat_step;
       lat <= v.lat_mid + v.lat_half; lat += lat_step) {
    SvgPoint left = place(v, v.lon_mid - v.lon_half, lat), right = place(v, v.lon_mid + v.lon_half, lat);
    svg_line(out, left, right, "");
    svg_text(out, {left.x - 6, left.y + 4}, degrees_text(lat, lat_decimals, 'N', 'S'),
             "stroke=\"none\" fill=\"black\" font-size=\"11\" text-anchor=\"end\"");
  }
  svg_group_end(out);
}

std::string regime_colour(const std::string& regime) {
  if (regime == "NF") return "#d7191c";
  if (regime == "NS" || regime == "SS") return "#1a9641";
  if (regime == "TS" || regime == "TF") return "#2c5fc9";
  return "#000000";
}

// Pixels of the bar of each class; E is a dot.
double bar_length(char quality) {
  switch (quality) {
    case 'A': return 48;
    case 'B': return 36;
    case 'C': return 26;
    case 'D': return 16;
    default: return 0;
  }
}

// The ends of a bar of `length` along `azimuth` (degrees from north) about `at`.
void bar_ends(SvgPoint at, double azimuth, double length, SvgPoint& from, SvgPoint& to) {
  double a = azimuth * DEGREE;
  double dx = std::sin(a) * length / 2, dy = -std::cos(a) * length / 2;
  from = {at.x - dx, at.y - dy};
  to = {at.x + dx, at.y + dy};
}

void draw_symbol(std::string& out, SvgPoint at, const MapRecord& r, std::vector<Box>& taken) {
  std::string colour = regime_colour(r.regime);
  double length = r.shmax ? bar_length(r.quality) : 0;
  if (length > 0) {
    SvgPoint from, to;
    bar_ends(at, *r.shmax, length, from, to);
    svg_line(out, from, to, "stroke=\"" + colour + "\" stroke-width=\"4.5\" stroke-linecap=\"round\"");
    for (int i = 0; i <= 6; ++i) {
      double t = i / 6.0;
      SvgPoint p{from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t};
      taken.push_back({p.x - 3.5, p.y - 3.5, p.x + 3.5, p.y + 3.5});
    }
    svg_circle(out, at, 1.6, "fill=\"white\" stroke=\"none\"");
  } else {
    svg_circle(out, at, 4, "fill=\"" + colour + "\" stroke=\"none\"");
    taken.push_back({at.x - 5, at.y - 5, at.x + 5, at.y + 5});
  }
}

// Half the width and half the height that a site's symbol covers.
SvgPoint symbol_extent(const MapRecord& r) {
  double length = r.shmax ? bar_length(r.quality) : 0;
  if (length == 0) return {5, 5};
  double a = *r.shmax * DEGREE;
  return {std::max(std::fabs(std::sin(a)) * length / 2, 4.0),
          std::max(std::fabs(std::cos(a)) * length / 2, 4.0)};
}

double squared_distance(SvgPoint a, SvgPoint b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// The name at the first free place close about its symbol, nearer to its
// own site than to any other (so that no name seems another's), or false.
bool place_name(std::string& out, SvgPoint at, SvgPoint extent, const std::string& name,
                const std::vector<SvgPoint>& others, std::vector<Box>& taken) {
  const double w = 0.62 * FONT * static_cast<double>(name.size()), h = FONT;
  const Box frame{FRAME_LEFT, FRAME_TOP, FRAME_LEFT + FRAME_WIDTH, FRAME_TOP + FRAME_HEIGHT};
  const double ex = extent.x, ey = extent.y;
  struct Try { double dx, dy; char anchor; };  // anchor: s start, e end, m middle
  const Try tries[] = {{ex + 5, 4, 's'},       {-ex - 5, 4, 'e'},       {0, -ey - 5, 'm'},
                       {0, ey + 14, 'm'},      {ex + 3, -ey, 's'},      {ex + 3, ey + 10, 's'},
                       {-ex - 3, -ey, 'e'},    {-ex - 3, ey + 10, 'e'}, {ex + 18, 4, 's'},
                       {-ex - 18, 4, 'e'},     {0, -ey - 18, 'm'},      {0, ey + 27, 'm'}};
  for (const Try& t : tries) {
    double left = t.anchor == 's' ? at.x + t.dx : t.anchor == 'e' ? at.x + t.dx - w : at.x + t.dx - w / 2;
    Box box{left - 1, at.y + t.dy - h, left + w + 1, at.y + t.dy + 3};
    if (box.left < frame.left || box.right > frame.right || box.top < frame.top ||
        box.bottom > frame.bottom)
      continue;
    if (std::any_of(taken.begin(), taken.end(), [&](const Box& b) { return overlap(b, box); }))
      continue;
    // The box's nearest point to a site, for its own site and the others.
    auto gap = [&](SvgPoint p) {
      SvgPoint q{std::clamp(p.x, box.left, box.right), std::clamp(p.y, box.top, box.bottom)};
      return squared_distance(p, q);
    };
    double own = gap(at);
    if (std::any_of(others.begin(), others.end(), [&](SvgPoint p) { return gap(p) < own; }))
      continue;
    taken.push_back(box);
    const char* anchor = t.anchor == 's' ? "start" : t.anchor == 'e' ? "end" : "middle";
    svg_text(out, {at.x + t.dx, at.y + t.dy}, name,
             "font-size=\"12\" text-anchor=\"" + std::string(anchor) +
                 "\" fill=\"black\" stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\"");
    return true;
  }
  return false;
}

void draw_scale_bar(std::string& out, const View& v) {
  double km = nice_step(FRAME_WIDTH / v.px_per_km / 5);
  double px = km * v.px_per_km;
  char label[32];
  if (km < 1) std::snprintf(label, sizeof label, "%g m", km * 1000);
  else std::snprintf(label, sizeof label, "%g km", km);
  double x = FRAME_LEFT + 16, y = FRAME_TOP + FRAME_HEIGHT - 18;
  svg_rect(out, {x - 8, y - 22}, px + 16, 32, "fill=\"white\" fill-opacity=\"0.85\" stroke=\"none\"");
  svg_rect(out, {x, y - 4}, px / 2, 5, "fill=\"black\" stroke=\"black\" stroke-width=\"0.8\"");
  svg_rect(out, {x + px / 2, y - 4}, px / 2, 5, "fill=\"white\" stroke=\"black\" stroke-width=\"0.8\"");
  svg_text(out, {x, y - 9}, "0", "font-size=\"11\" text-anchor=\"middle\"");
  svg_text(out, {x + px, y - 9}, label, "font-size=\"11\" text-anchor=\"middle\"");
}

void draw_legend(std::string& out, int names_left_out) {
  double x = FRAME_LEFT + FRAME_WIDTH + 30, y = FRAME_TOP + 10;
  svg_text(out, {x, y}, "SHmax by regime", "font-size=\"13\" font-weight=\"bold\"");
  struct Entry { const char* regime; const char* text; };
  for (Entry e : {Entry{"NF", "NF normal faulting"}, Entry{"SS", "NS, SS strike-slip"},
                  Entry{"TF", "TS, TF thrust faulting"}, Entry{"U", "U unknown"}}) {
    y += 24;
    svg_line(out, {x, y - 4}, {x + 30, y - 4},
             "stroke=\"" + regime_colour(e.regime) + "\" stroke-width=\"4.5\" stroke-linecap=\"round\"");
    svg_text(out, {x + 40, y}, e.text, "font-size=\"12\"");
  }
  y += 40;
  svg_text(out, {x, y}, "Quality (95 % SHmax)", "font-size=\"13\" font-weight=\"bold\"");
  struct Class { char letter; const char* text; };
  for (Class c : {Class{'A', "A  \u00b115\u00b0"}, Class{'B', "B  \u00b120\u00b0"},
                  Class{'C', "C  \u00b125\u00b0"}, Class{'D', "D  \u00b140\u00b0"},
                  Class{'E', "E  wider, or none"}}) {
    y += 24;
    double length = bar_length(c.letter);
    if (length > 0)
      svg_line(out, {x + 24 - length / 2, y - 4}, {x + 24 + length / 2, y - 4},
               "stroke=\"#555555\" stroke-width=\"4.5\" stroke-linecap=\"round\"");
    else
      svg_circle(out, {x + 24, y - 4}, 4, "fill=\"#555555\" stroke=\"none\"");
    svg_text(out, {x + 56, y}, c.text, "font-size=\"12\"");
  }
  y += 36;
  for (const char* line : {"Quality: sorvel's reading of", "the WSM classes from its", "own bootstrap"}) {
    svg_text(out, {x, y}, line, "font-size=\"11\" fill=\"#444444\"");
    y += 15;
  }
  if (names_left_out > 0) {
    y += 10;
    svg_text(out, {x, y}, std::to_string(names_left_out) + " name" + (names_left_out > 1 ? "s" : "") +
                              " left out where", "font-size=\"11\" fill=\"#444444\"");
    svg_text(out, {x, y + 15}, "they would overlap", "font-size=\"11\" fill=\"#444444\"");
  }
}

}  // namespace

SiteMap site_map_picture(const std::vector<MapRecord>& records) {
  std::vector<const MapRecord*> sites;
  for (const MapRecord& r : records)
    if (r.lat && r.lon) sites.push_back(&r);
  SiteMap map;
  if (sites.empty()) return map;
  const View v = view_of(sites);
  std::string& out = map.svg;
  std::string title = "Stress map: " + std::to_string(sites.size()) +
                      (sites.size() == 1 ? " stress state" : " stress states");
  svg_begin(out, WIDTH, HEIGHT, title);
  svg_text(out, {FRAME_LEFT, FRAME_TOP - 24}, title, "font-size=\"16\" font-weight=\"bold\"");
  svg_text(out, {FRAME_LEFT + FRAME_WIDTH, FRAME_TOP - 24}, "longitude/latitude, WGS 84",
           "font-size=\"11\" text-anchor=\"end\" fill=\"#444444\"");
  out += "<clipPath id=\"frame\"><rect x=\"" + svg_number(FRAME_LEFT) + "\" y=\"" +
         svg_number(FRAME_TOP) + "\" width=\"" + svg_number(FRAME_WIDTH) + "\" height=\"" +
         svg_number(FRAME_HEIGHT) + "\"/></clipPath>\n";
  draw_graticule(out, v);
  svg_rect(out, {FRAME_LEFT, FRAME_TOP}, FRAME_WIDTH, FRAME_HEIGHT,
           "fill=\"none\" stroke=\"black\" stroke-width=\"1.2\"");
  std::vector<Box> taken;
  std::string names;
  svg_group_begin(out, "sites", "clip-path=\"url(#frame)\"");
  for (const MapRecord* r : sites) draw_symbol(out, place(v, *r->lon, *r->lat), *r, taken);
  // Names after every bar, so that no name covers a bar drawn later.
  for (const MapRecord* r : sites) {
    SvgPoint at = place(v, *r->lon, *r->lat);
    std::vector<SvgPoint> others;
    for (const MapRecord* o : sites) {
      SvgPoint p = place(v, *o->lon, *o->lat);
      if (squared_distance(p, at) > 0.25) others.push_back(p);
    }
    if (!place_name(names, at, symbol_extent(*r), r->name, others, taken)) ++map.names_left_out;
  }
  out += names;
  svg_group_end(out);
  draw_scale_bar(out, v);
  draw_legend(out, map.names_left_out);
  svg_end(out);
  return map;
}
