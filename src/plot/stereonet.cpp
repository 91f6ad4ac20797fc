#include "plot/stereonet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analyses/cdm/cdm_results.h"
#include "common/number_format.h"
#include "data/fault_geometry.h"
#include "grid/orientation.h"

const NetFrame NET_FRAME = {340.0, 370.0, 270.0};

namespace {

const int PICTURE_WIDTH = 1020;
const int PICTURE_HEIGHT = 740;
const double PANEL_X = 660.0;  // left edge of the legend, chart and table
const int BEST_SHARE = GSS_SIZE / 100;  // the best 1 % of the stress states

const char* const SIGMA1_COLOUR = "#c00000";
const char* const SIGMA2_COLOUR = "#008a00";
const char* const SIGMA3_COLOUR = "#0030c0";

struct Rgb {
  int red, green, blue;
};

std::string rgb_text(Rgb c) {
  return "rgb(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
         std::to_string(c.blue) + ")";
}

// The colour a share `f` (0 to 1) of the way from `pale` to `strong`.
Rgb mix(Rgb pale, Rgb strong, double f) {
  auto channel = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
  return Rgb{channel(pale.red, strong.red), channel(pale.green, strong.green),
             channel(pale.blue, strong.blue)};
}

SvgPoint offset(SvgPoint p, double dx, double dy) { return SvgPoint{p.x + dx, p.y + dy}; }

std::string axis_text(PlotAxis axis) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%03d/%02d", axis.azimuth, axis.plunge);
  return buffer;
}

std::string phi_text(int tenths) {
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

PlotAxis whole_degree_axis(Orientation axis) {
  Orientation down = downward_axis(axis);
  return PlotAxis{int(whole_degrees(down.azimuth)), int(whole_degrees(down.plunge))};
}

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
    double a = azimuth * M_PI / 180.0;
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

void draw_fault_planes(std::string& out, const FaultSet& data) {
  svg_group_begin(out, "fault-planes", "fill=\"none\" stroke=\"#505050\" stroke-width=\"1\"");
  for (int i = 0; i < data.count; ++i) {
    std::vector<SvgPoint> points;
    for (NetPoint p : great_circle(data.data[i].dip_direction, data.data[i].dip_angle, 90))
      points.push_back(net_to_picture(p));
    svg_polyline(out, points, "");
  }
  svg_group_end(out);
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
void draw_half_arrow(std::string& out, SvgPoint tail, double dx, double dy, double sx,
                     double sy) {
  SvgPoint tip = offset(tail, dx * 18, dy * 18);
  svg_polyline(out, {tail, tip, offset(tip, -dx * 7 + sx * 4, -dy * 7 + sy * 4)},
               "fill=\"none\"");
}

// A unit direction in picture coordinates from a net direction (east,
// north); `fallback_azimuth` (degrees) is used for a zero direction.
void picture_direction(double east, double north, double fallback_azimuth, double& dx,
                       double& dy) {
  double length = std::hypot(east, north);
  if (length < 1e-6) {
    east = std::sin(fallback_azimuth * M_PI / 180.0);
    north = std::cos(fallback_azimuth * M_PI / 180.0);
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

void draw_slip_arrows(std::string& out, const FaultSet& data) {
  svg_group_begin(out, "slip-arrows", "fill=\"black\" stroke=\"black\" stroke-width=\"1.3\"");
  for (int i = 0; i < data.count; ++i) draw_slip_arrow(out, data.data[i]);
  svg_group_end(out);
}

// ---- the principal axes -------------------------------------------------

// A large labelled symbol: square for sigma1, triangle for sigma2, circle
// for sigma3, as the axes are usually told apart in print.
void draw_axis_symbol(std::string& out, int which, SvgPoint at, const std::string& id) {
  const char* colours[3] = {SIGMA1_COLOUR, SIGMA2_COLOUR, SIGMA3_COLOUR};
  std::string style = std::string("fill=\"") + colours[which - 1] +
                      "\" stroke=\"black\" stroke-width=\"1.2\"";
  svg_group_begin(out, id, "transform=\"translate(" + svg_number(at.x) + "," +
                               svg_number(at.y) + ")\"");
  if (which == 1) svg_rect(out, SvgPoint{-8, -8}, 16, 16, style);
  if (which == 2) svg_polygon(out, {{0, -10}, {9, 6.5}, {-9, 6.5}}, style);
  if (which == 3) svg_circle(out, SvgPoint{0, 0}, 8.5, style);
  svg_text(out, SvgPoint{12, -9}, "\xcf\x83" + std::to_string(which),
           "font-size=\"16\" font-weight=\"bold\" stroke=\"white\" stroke-width=\"3\" "
           "paint-order=\"stroke\" fill=\"black\"");
  svg_group_end(out);
}

void draw_best_state(std::string& out, const PlotState& best, const std::string& prefix) {
  draw_axis_symbol(out, 1, axis_point(best.sigma1), prefix + "-sigma1");
  draw_axis_symbol(out, 2, axis_point(best.sigma2), prefix + "-sigma2");
  draw_axis_symbol(out, 3, axis_point(best.sigma3), prefix + "-sigma3");
}

// The sigma1 and sigma3 axes of the best 1 %, paler for lower fitness;
// the file is in ascending fitness, so the best are drawn last, on top.
void draw_best_share(std::string& out, const std::vector<CdmState>& states) {
  size_t first = states.size() - size_t(BEST_SHARE);
  long low = states[first].fitness, high = states.back().fitness;
  svg_group_begin(out, "best-share", "stroke=\"none\"");
  for (size_t i = first; i < states.size(); ++i) {
    const CdmState& s = states[i];
    double f = high > low ? double(s.fitness - low) / double(high - low) : 1.0;
    std::string s1 = "fill=\"" + rgb_text(mix({250, 205, 205}, {170, 0, 0}, f)) + "\"";
    std::string s3 = "fill=\"" + rgb_text(mix({205, 215, 250}, {0, 30, 160}, f)) + "\"";
    svg_circle(out, axis_point(PlotAxis{s.s1_azimuth, s.s1_plunge}), 3.0, s1);
    svg_circle(out, axis_point(PlotAxis{s.s3_azimuth, s.s3_plunge}), 3.0, s3);
  }
  svg_group_end(out);
}

// ---- the panel beside the net -------------------------------------------

void draw_legend(std::string& out, double top, bool votes) {
  std::string style = "font-size=\"13\"";
  svg_text(out, SvgPoint{PANEL_X, top}, "Legend", "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "legend", "");
  std::string small = votes ? "of the voted states, sized by votes"
                            : "of the best 1 %, darker = fitter";
  svg_circle(out, SvgPoint{PANEL_X + 8, top + 20}, 4, std::string("fill=\"") + SIGMA1_COLOUR + "\"");
  svg_circle(out, SvgPoint{PANEL_X + 20, top + 20}, 4, std::string("fill=\"") + SIGMA3_COLOUR + "\"");
  svg_text(out, SvgPoint{PANEL_X + 32, top + 25}, "\xcf\x83" "1, \xcf\x83" "3 " + small, style);
  svg_rect(out, SvgPoint{PANEL_X + 2, top + 36}, 12, 12,
           std::string("fill=\"") + SIGMA1_COLOUR + "\" stroke=\"black\"");
  svg_text(out, SvgPoint{PANEL_X + 32, top + 47},
           votes ? "\xcf\x83" "1, \xcf\x83" "2, \xcf\x83" "3 of the most-voted state"
                 : "\xcf\x83" "1, \xcf\x83" "2, \xcf\x83" "3 of the best state", style);
  svg_polyline(out, {{PANEL_X, top + 68}, {PANEL_X + 26, top + 64}}, "fill=\"none\" stroke=\"#505050\"");
  svg_text(out, SvgPoint{PANEL_X + 32, top + 70}, "fault plane (great circle)", style);
  svg_circle(out, SvgPoint{PANEL_X + 4, top + 88}, 2.2, "");
  draw_arrow(out, SvgPoint{PANEL_X + 4, top + 88}, 1, 0, 20);
  svg_text(out, SvgPoint{PANEL_X + 32, top + 93}, "slip of the hanging wall: outward",
           style);
  svg_text(out, SvgPoint{PANEL_X + 32, top + 111}, "normal, inward reverse, couple strike-slip",
           style);
  svg_group_end(out);
}

// Bars of the number of stress states with each Phi among the best 1 %.
// The bar of the best state's Phi is drawn darker.
void draw_phi_chart(std::string& out, const std::vector<CdmState>& states, double top) {
  long counts[11] = {0};
  for (size_t i = states.size() - size_t(BEST_SHARE); i < states.size(); ++i)
    ++counts[states[i].phi_tenths];
  long most = *std::max_element(counts, counts + 11);
  const double height = 130.0, bar = 22.0, base = top + 30 + height;
  svg_text(out, SvgPoint{PANEL_X, top}, "\xce\xa6 among the best 1 % (" +
           std::to_string(BEST_SHARE) + " states)", "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "phi-chart", "font-size=\"11\" text-anchor=\"middle\"");
  for (int j = 0; j <= 10; ++j) {
    double h = most > 0 ? height * double(counts[j]) / double(most) : 0.0;
    double x = PANEL_X + 4 + j * (bar + 4);
    svg_rect(out, SvgPoint{x, base - h}, bar, h,
             "id=\"phi-bar-" + std::to_string(j) + "\" fill=\"" +
                 (j == states.back().phi_tenths ? "#303030" : "#a0a0a0") + "\"");
    if (counts[j] > 0)
      svg_text(out, SvgPoint{x + bar / 2, base - h - 4}, std::to_string(counts[j]), "");
    svg_text(out, SvgPoint{x + bar / 2, base + 15}, phi_text(j), "");
  }
  svg_line(out, SvgPoint{PANEL_X, base}, SvgPoint{PANEL_X + 11 * (bar + 4) + 4, base},
           "stroke=\"black\"");
  svg_group_end(out);
}

// Ten most-voted states, most votes first, lower index first on a tie.
std::vector<MimVote> most_voted(const std::vector<MimVote>& votes, size_t count) {
  std::vector<MimVote> sorted = votes;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const MimVote& a, const MimVote& b) { return a.votes > b.votes; });
  if (sorted.size() > count) sorted.resize(count);
  return sorted;
}

void draw_vote_table(std::string& out, const std::vector<MimVote>& top, double y) {
  static const double columns[6] = {0, 28, 118, 176, 246, 316};
  static const char* const heads[6] = {"#", "GridPoint", "votes", "\xcf\x83" "1", "\xcf\x83" "3",
                                       "\xce\xa6"};
  svg_text(out, SvgPoint{PANEL_X, y}, "The ten most-voted stress states",
           "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "vote-table", "font-size=\"13\"");
  for (int c = 0; c < 6; ++c)
    svg_text(out, SvgPoint{PANEL_X + columns[c], y + 26}, heads[c], "font-weight=\"bold\"");
  svg_line(out, SvgPoint{PANEL_X, y + 32}, SvgPoint{PANEL_X + 340, y + 32}, "stroke=\"black\"");
  for (size_t r = 0; r < top.size(); ++r) {
    PlotState s = state_of_gridpoint(top[r].index);
    std::string cells[6] = {std::to_string(r + 1), std::to_string(top[r].index),
                            std::to_string(top[r].votes), axis_text(s.sigma1),
                            axis_text(s.sigma3), phi_text(s.phi_tenths)};
    double row = y + 52 + 21 * double(r);
    for (int c = 0; c < 6; ++c) svg_text(out, SvgPoint{PANEL_X + columns[c], row}, cells[c], "");
  }
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

// Net, fault planes and slip arrows: what both pictures share.
void begin_picture(std::string& out, const FaultSet& data, const std::string& title) {
  svg_begin(out, PICTURE_WIDTH, PICTURE_HEIGHT, title);
  svg_text(out, SvgPoint{30, 36}, title, "font-size=\"20\" font-weight=\"bold\"");
  draw_net(out);
  draw_fault_planes(out, data);
  draw_slip_arrows(out, data);
}

}  // namespace

SvgPoint net_to_picture(NetPoint p) {
  return SvgPoint{NET_FRAME.centre_x + NET_FRAME.radius * p.x,
                  NET_FRAME.centre_y - NET_FRAME.radius * p.y};
}

PlotState state_of_gridpoint(int32_t k) {
  const GridPoint& point = gss[k - 1];
  GridPointAxes axes = axes_of_gridpoint(k);
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  PlotState state;
  state.sigma1 = whole_degree_axis(axes.sigma1);
  state.sigma2 = whole_degree_axis(vector_to_trend_plunge(Vec3{r.m[1][0], r.m[1][1], r.m[1][2]}));
  state.sigma3 = whole_degree_axis(axes.sigma3);
  state.phi_tenths = int(round_half_away(10.0f * point.stress_ratio));
  state.score = point.fitness;
  return state;
}

int32_t gridpoint_of_axes(const std::string& axes_text) {
  for (int32_t k = 1; k <= GSS_SIZE; ++k) {
    if (CDM_results_line(k).compare(0, 16, axes_text) == 0) return k;
  }
  return 0;
}

PlotState best_cdm_state(const PlotResults& results) {
  const CdmState& line = results.states.back();
  PlotState best;
  best.sigma1 = PlotAxis{line.s1_azimuth, line.s1_plunge};
  best.sigma3 = PlotAxis{line.s3_azimuth, line.s3_plunge};
  best.phi_tenths = line.phi_tenths;
  best.score = line.fitness;
  int32_t k = gridpoint_of_axes(line.axes_text);
  if (k > 0) {
    best.sigma2 = state_of_gridpoint(k).sigma2;
  } else {
    // A line no GridPoint gives (an edited file): sigma2 completes the
    // right-handed frame of the two whole-degree axes.
    Vec3 s1 = orientation_to_vector(make_orientation(line.s1_azimuth * DEG_TO_RAD, line.s1_plunge * DEG_TO_RAD));
    Vec3 s3 = orientation_to_vector(make_orientation(line.s3_azimuth * DEG_TO_RAD, line.s3_plunge * DEG_TO_RAD));
    best.sigma2 = whole_degree_axis(vector_to_trend_plunge(cross_product(s3, s1)));
  }
  return best;
}

std::string CDM_picture(const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results) {
  std::string out;
  PlotState best = best_cdm_state(results);
  begin_picture(out, data, "Stress inversion (CDM): lower-hemisphere equal-area net");
  draw_best_share(out, results.states);
  draw_best_state(out, best, "best");
  draw_legend(out, 90, false);
  draw_phi_chart(out, results.states, 280);
  draw_caption(out, {data_text(data_name, data.count) + "; results: " + results_name,
                     "Best stress state: " + state_text(best) + ", fitness " +
                         std::to_string(best.score),
                     "Small symbols: the best 1 % (" + std::to_string(BEST_SHARE) +
                         " of 59400 stress states)"});
  svg_end(out);
  return out;
}

std::string MIM_picture(const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results) {
  std::string out;
  begin_picture(out, data, "Stress inversion (MIM): lower-hemisphere equal-area net");
  std::vector<MimVote> order = most_voted(results.votes, results.votes.size());
  long most = order.empty() ? 1 : order.front().votes;
  long subsets = 0;
  svg_group_begin(out, "voted-states", "stroke=\"black\" stroke-width=\"0.5\" fill-opacity=\"0.55\"");
  // The largest first, so that the small ones stay visible on top.
  for (const MimVote& vote : order) {
    PlotState s = state_of_gridpoint(vote.index);
    double radius = 2.5 + 9.0 * std::sqrt(double(vote.votes) / double(most));
    svg_circle(out, axis_point(s.sigma1), radius, std::string("fill=\"") + SIGMA1_COLOUR + "\"");
    svg_circle(out, axis_point(s.sigma3), radius, std::string("fill=\"") + SIGMA3_COLOUR + "\"");
    subsets += vote.votes;
  }
  svg_group_end(out);
  std::vector<std::string> caption = {
      data_text(data_name, data.count) + "; results: " + results_name,
      "Subsets of k =" + results.k_text + " data: " + std::to_string(subsets) + "; " +
          std::to_string(results.votes.size()) + " stress states voted; weight function " +
          results.function_name};
  if (!order.empty()) {
    PlotState top = state_of_gridpoint(order.front().index);
    draw_best_state(out, top, "most-voted");
    caption.push_back("Most-voted state: " + state_text(top) + ", " +
                      std::to_string(order.front().votes) + " votes");
  }
  draw_legend(out, 90, true);
  draw_vote_table(out, most_voted(results.votes, 10), 280);
  draw_caption(out, caption);
  svg_end(out);
  return out;
}
