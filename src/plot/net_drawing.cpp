#include "plot/net_drawing.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "data/fault_geometry.h"
#include "geometry/vectors.h"

const NetFrame NET_FRAME = {340.0, 370.0, 270.0};

std::string rgb_text(Rgb c) {
  return "rgb(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
         std::to_string(c.blue) + ")";
}

Rgb mix(Rgb pale, Rgb strong, double f) {
  auto channel = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
  return Rgb{channel(pale.red, strong.red), channel(pale.green, strong.green),
             channel(pale.blue, strong.blue)};
}

SvgPoint offset(SvgPoint p, double dx, double dy) { return SvgPoint{p.x + dx, p.y + dy}; }

SvgPoint frame_point(const NetFrame& frame, NetPoint p) {
  return SvgPoint{frame.centre_x + frame.radius * p.x, frame.centre_y - frame.radius * p.y};
}

SvgPoint net_to_picture(NetPoint p) { return frame_point(NET_FRAME, p); }

SvgPoint axis_point(PlotAxis axis) {
  return net_to_picture(project_axis_degrees(axis.azimuth, axis.plunge));
}

// ---- the net ------------------------------------------------------------

// Primitive circle, a tick every 10 degrees of azimuth (longer every 90),
// the north label and a small cross at the centre.
void draw_net(std::string& out) {
  const NetFrame& f = NET_FRAME;
  SvgPoint centre{f.centre_x, f.centre_y};
  svg_circle(out, centre, f.radius, "id=\"primitive\" fill=\"white\" stroke=\"black\" stroke-width=\"1.5\"");
  svg_group_begin(out, "ticks", "stroke=\"black\" stroke-width=\"1\"");
  for (int azimuth = 0; azimuth < 360; azimuth += 10) {
    double a = pi_times_over_180(azimuth);
    double length = azimuth % 90 == 0 ? 12.0 : 6.0;
    SvgPoint inner{f.centre_x + f.radius * std::sin(a), f.centre_y - f.radius * std::cos(a)};
    SvgPoint outer{f.centre_x + (f.radius + length) * std::sin(a),
                   f.centre_y - (f.radius + length) * std::cos(a)};
    svg_line(out, inner, outer, "");
  }
  svg_line(out, offset(centre, -6, 0), offset(centre, 6, 0), "");
  svg_line(out, offset(centre, 0, -6), offset(centre, 0, 6), "");
  svg_group_end(out);
  svg_text(out, SvgPoint{f.centre_x, f.centre_y - f.radius - 18}, "N",
           "font-size=\"18\" font-weight=\"bold\" text-anchor=\"middle\"");
}

void draw_fault_plane(std::string& out, const FaultDatum& datum, const std::string& style) {
  std::vector<SvgPoint> points;
  for (NetPoint p : great_circle(datum.dip_direction, datum.dip_angle, 90))
    points.push_back(net_to_picture(p));
  svg_polyline(out, points, style);
}

// An arrow of `length` pixels from `tail` along the unit picture
// direction (dx, dy), with a filled head.
void draw_arrow(std::string& out, SvgPoint tail, double dx, double dy, double length) {
  SvgPoint tip = offset(tail, dx * length, dy * length);
  svg_line(out, tail, offset(tip, -dx * 4, -dy * 4), "");
  svg_polygon(out, {tip, offset(tip, -dx * 7 - dy * 3.5, -dy * 7 + dx * 3.5),
                    offset(tip, -dx * 7 + dy * 3.5, -dy * 7 - dx * 3.5)}, "");
}

// One arm of a shear couple: an 18-pixel arrow along (dx, dy) whose single
// barb stands on the side (sx, sy), away from the slip point.
static void draw_half_arrow(std::string& out, SvgPoint tail, double dx, double dy, double sx,
                            double sy) {
  SvgPoint tip = offset(tail, dx * 18, dy * 18);
  svg_polyline(out, {tail, tip, offset(tip, -dx * 7 + sx * 4, -dy * 7 + sy * 4)},
               "fill=\"none\"");
}

// A unit direction in picture coordinates from a net direction (east,
// north); `fallback_azimuth` (degrees) is used for a zero direction.
static void picture_direction(double east, double north, double fallback_azimuth, double& dx,
                              double& dy) {
  double length = std::hypot(east, north);
  if (length < 1e-6) {
    east = std::sin(pi_times_over_180(fallback_azimuth));
    north = std::cos(pi_times_over_180(fallback_azimuth));
    length = 1.0;
  }
  dx = east / length;
  dy = -north / length;
}

// The hanging-wall movement at the slip line's point: a dip-slip datum
// gets an arrow along the horizontal part of its slip vector, which
// points away from the centre for a normal fault and towards it for a
// reverse one; a strike-slip datum gets a couple of two opposite arrows
// across the point, turning clockwise for dextral slip.
void draw_slip_arrow(std::string& out, const FaultDatum& original) {
  FaultDatum datum = original;
  prepare_datum_geometry(datum);
  Vec3 s = datum.slip_vector;
  SvgPoint point = net_to_picture(project_vector(s));
  svg_circle(out, point, 2.2, "");
  char sense = char(std::toupper(static_cast<unsigned char>(datum.sense)));
  double dx = 0.0, dy = 0.0;
  if (sense != 'S' && sense != 'D') {
    picture_direction(s.x, s.y, datum.dip_direction, dx, dy);
    draw_arrow(out, point, dx, dy, 20.0);
    return;
  }
  NetPoint p = project_vector(s);
  double ux = 0.0, uy = 0.0;  // outward radial direction in the picture
  picture_direction(p.x, p.y, datum.dip_direction, ux, uy);
  Vec3 n = datum.normal_vector;
  bool clockwise = n.x * s.y - n.y * s.x > 0.0f;
  // The clockwise tangent in the picture (y down) is (-uy, ux).
  double tx = clockwise ? -uy : uy, ty = clockwise ? ux : -ux;
  draw_half_arrow(out, offset(point, ux * 5 - tx * 9, uy * 5 - ty * 9), tx, ty, ux, uy);
  draw_half_arrow(out, offset(point, -ux * 5 + tx * 9, -uy * 5 + ty * 9), -tx, -ty, -ux, -uy);
}

// ---- the principal axes -------------------------------------------------

void draw_axis_symbol(std::string& out, int which, SvgPoint at, const std::string& id) {
  const char* colours[3] = {SIGMA1_COLOUR, SIGMA2_COLOUR, SIGMA3_COLOUR};
  draw_marked_axis(out, which, at, id, colours[which - 1], "\xcf\x83" + std::to_string(which),
                   SvgPoint{12, -9});
}

// A large labelled symbol: square for sigma1, triangle for sigma2, circle
// for sigma3, as the axes are usually told apart in print.
void draw_marked_axis(std::string& out, int which, SvgPoint at, const std::string& id,
                      const std::string& fill, const std::string& label, SvgPoint label_at) {
  std::string style = "fill=\"" + fill + "\" stroke=\"black\" stroke-width=\"1.2\"";
  svg_group_begin(out, id, "transform=\"translate(" + svg_number(at.x) + "," +
                               svg_number(at.y) + ")\"");
  if (which == 1) svg_rect(out, SvgPoint{-8, -8}, 16, 16, style);
  if (which == 2) svg_polygon(out, {{0, -10}, {9, 6.5}, {-9, 6.5}}, style);
  if (which == 3) svg_circle(out, SvgPoint{0, 0}, 8.5, style);
  svg_text(out, label_at, label,
           "font-size=\"16\" font-weight=\"bold\" stroke=\"white\" stroke-width=\"3\" "
           "paint-order=\"stroke\" fill=\"black\"");
  svg_group_end(out);
}

void draw_small_mark(std::string& out, int which, SvgPoint at, const std::string& id,
                     const std::string& fill) {
  std::string style = "fill=\"" + fill + "\" stroke=\"black\" stroke-width=\"0.8\"";
  svg_group_begin(out, id, "transform=\"translate(" + svg_number(at.x) + "," + svg_number(at.y) + ")\"");
  if (which == 1) svg_rect(out, SvgPoint{-4, -4}, 8, 8, style);
  if (which == 2) svg_polygon(out, {{0, -5}, {4.5, 3.2}, {-4.5, 3.2}}, style);
  if (which == 3) svg_circle(out, SvgPoint{0, 0}, 4.2, style);
  svg_group_end(out);
}

void draw_caption(std::string& out, const std::vector<std::string>& lines) {
  svg_group_begin(out, "caption", "font-size=\"14\"");
  double y = NET_FRAME.centre_y + NET_FRAME.radius + 48;
  for (const std::string& line : lines) {
    svg_text(out, SvgPoint{30, y}, line, "");
    y += 20;
  }
  svg_group_end(out);
}

std::string state_text(const PlotState& s) {
  return "\xcf\x83" "1 " + axis_text(s.sigma1) + ", \xcf\x83" "2 " + axis_text(s.sigma2) +
         ", \xcf\x83" "3 " + axis_text(s.sigma3) + ", \xce\xa6 = " + phi_text(s.phi_tenths);
}

std::string data_text(const std::string& data_name, int count) {
  return "Data: " + data_name + ", " + std::to_string(count) + (count == 1 ? " fault" : " faults");
}

