#include "plot/confidence_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "confidence/confidence_report.h"
#include "data/fault_geometry.h"
#include "grid/state_axes.h"
#include "plot/net_drawing.h"
#include "stress/data_fit.h"

namespace {

const int PICTURE_WIDTH = 1020;
const int PICTURE_HEIGHT = 800;
const double PANEL_X = 660.0;  // left edge of the legend, chart and Mohr panel

// Texts, not std::strings: a std::string here would be an object made
// when the program starts.
constexpr const char* SIGMA = "\xcf\x83";
constexpr const char* PHI = "\xce\xa6";
constexpr const char* PRIME = "\xe2\x80\xb2";
constexpr const char* EN_DASH = "\xe2\x80\x93";
constexpr const char* DEGREE_SIGN = "\xc2\xb0";

// A wider cone takes in most of the net and would read as great circles
// through it: the caption gives it, the net does not draw it.
const double WIDEST_DRAWN_CONE = 45.0;

Vec3 vector_of(Vec3d d) {
  return Vec3{static_cast<float>(d.x), static_cast<float>(d.y), static_cast<float>(d.z)};
}

SvgPoint direction_point(Vec3d d) { return net_to_picture(project_vector(vector_of(d))); }

Vec3d scaled_sum(Vec3d a, double s, Vec3d b, double t) {
  return Vec3d{s * a.x + t * b.x, s * a.y + t * b.y, s * a.z + t * b.z};
}

Vec3d unit_cross(Vec3d a, Vec3d b) { return unit_vector(cross(a, b)); }

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// ---- the confidence on the net -------------------------------------------

// The small circle `angle` degrees about an axis, as it shows on the lower
// hemisphere: where it passes above the horizontal its other end shows on
// the far side of the net, so it is drawn in runs that end at the primitive.
std::vector<std::vector<SvgPoint>> small_circle(Vec3d axis, double angle) {
  Vec3d helper = std::fabs(axis.z) < 0.9 ? Vec3d{0, 0, 1} : Vec3d{1, 0, 0};
  Vec3d u = unit_cross(axis, helper), w = unit_cross(axis, u);
  std::vector<std::vector<SvgPoint>> runs(1);
  bool last_down = false;
  for (int i = 0; i <= 360; ++i) {
    double t = i * DEGREE;
    Vec3d across = scaled_sum(u, std::cos(t), w, std::sin(t));
    Vec3d v = scaled_sum(axis, std::cos(angle * DEGREE), across, std::sin(angle * DEGREE));
    bool down = v.z <= 0.0;
    if (i > 0 && down != last_down && !runs.back().empty()) runs.emplace_back();
    last_down = down;
    runs.back().push_back(direction_point(v));
  }
  return runs;
}

void draw_cone(std::string& out, Vec3d axis, double cone, const char* colour,
               const std::string& id) {
  if (cone > WIDEST_DRAWN_CONE) return;
  bool resolved = cone_resolved(cone);
  std::string style = std::string("fill=\"none\" stroke=\"") + colour + "\" stroke-width=\"2\"" +
                      (resolved ? "" : " stroke-dasharray=\"5,4\"");
  svg_group_begin(out, id, style + " data-cone=\"" + fixed(cone, 1) + "\"");
  for (const std::vector<SvgPoint>& run : small_circle(axis, std::max(cone, GRID_SPACING_DEGREES)))
    if (run.size() > 1) svg_polyline(out, run, "");
  svg_group_end(out);
}

// The grid state beside its refined state: a small mark of the axis's
// colour and shape, unlabelled.
void draw_grid_mark(std::string& out, int which, SvgPoint at, const std::string& id) {
  const char* colours[3] = {SIGMA1_COLOUR, SIGMA2_COLOUR, SIGMA3_COLOUR};
  draw_small_mark(out, which, at, id, colours[which - 1]);
}

// The sigma1 and sigma3 axes of every state that some resample chose,
// larger for more resamples.
void draw_resampled_axes(std::string& out, const Confidence& c, const GridPoint* grid) {
  int32_t most = 1;
  for (const ResampledState& s : c.states) most = std::max(most, s.count);
  svg_group_begin(out, "resampled-axes", "stroke=\"none\" fill-opacity=\"0.55\"");
  for (const ResampledState& s : c.states) {
    PrincipalAxes axes = principal_axes(grid[s.index]);
    double r = 2.0 + 5.0 * std::sqrt(double(s.count) / most);
    std::string count = " data-count=\"" + std::to_string(s.count) + "\"";
    svg_circle(out, direction_point(axes.sigma1), r, std::string("fill=\"") + SIGMA1_COLOUR + "\"" + count);
    svg_circle(out, direction_point(axes.sigma3), r, std::string("fill=\"") + SIGMA3_COLOUR + "\"" + count);
  }
  svg_group_end(out);
}

SvgPoint rim_point(double azimuth, double radius) {
  return SvgPoint{NET_FRAME.centre_x + radius * std::sin(azimuth * DEGREE),
                  NET_FRAME.centre_y - radius * std::cos(azimuth * DEGREE)};
}

// SHmax as a pair of marks pointing inward at both ends of its azimuth,
// and its 95 % interval as an arc outside the primitive.
void draw_shmax(std::string& out, std::optional<double> shmax, const std::optional<Confidence>& c) {
  if (!shmax) return;
  const double r = NET_FRAME.radius;
  svg_group_begin(out, "shmax", "fill=\"black\" stroke=\"black\"");
  if (c && c->shmax) {
    double low = c->shmax->low, high = c->shmax->high;
    if (high < low) high += 180.0;
    for (double turn : {0.0, 180.0}) {
      std::vector<SvgPoint> arc;
      for (double a = low; a < high; a += 1.0) arc.push_back(rim_point(a + turn, r + 25));
      arc.push_back(rim_point(high + turn, r + 25));
      svg_polyline(out, arc, "fill=\"none\" stroke-width=\"4\" stroke-opacity=\"0.45\"");
    }
  }
  for (double turn : {0.0, 180.0}) {
    double a = *shmax + turn;
    svg_polygon(out, {rim_point(a, r + 3), rim_point(a - 2.2, r + 22), rim_point(a + 2.2, r + 22)},
                "");
  }
  svg_group_end(out);
}

// ---- the panel beside the net ---------------------------------------------

void draw_legend(std::string& out, double top, bool bootstrap, bool refined) {
  std::string style = "font-size=\"13\"";
  svg_text(out, SvgPoint{PANEL_X, top}, "Legend", "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "legend", "");
  double y = top + 20;
  if (bootstrap) {
    svg_circle(out, SvgPoint{PANEL_X + 8, y}, 4, std::string("fill=\"") + SIGMA1_COLOUR + "\" fill-opacity=\"0.55\"");
    svg_circle(out, SvgPoint{PANEL_X + 20, y}, 4, std::string("fill=\"") + SIGMA3_COLOUR + "\" fill-opacity=\"0.55\"");
    svg_text(out, SvgPoint{PANEL_X + 32, y + 5}, std::string(SIGMA) + "1, " + SIGMA + "3 of the resamples' best states", style);
    svg_text(out, SvgPoint{PANEL_X + 32, y + 21}, "(larger: chosen by more resamples)", style);
    y += 40;
    svg_line(out, SvgPoint{PANEL_X, y}, SvgPoint{PANEL_X + 26, y}, std::string("stroke=\"") + SIGMA1_COLOUR + "\" stroke-width=\"2\"");
    if (refined) {
      svg_text(out, SvgPoint{PANEL_X + 32, y + 5}, "95 % cone of the refined resamples", style);
      svg_text(out, SvgPoint{PANEL_X + 32, y + 21}, "about the refined axis, at its size", style);
    } else {
      svg_text(out, SvgPoint{PANEL_X + 32, y + 5}, "95 % cone about the best state's axis", style);
      svg_text(out, SvgPoint{PANEL_X + 32, y + 21}, std::string("(dashed: within the grid's spacing, 10") + DEGREE_SIGN + ")", style);
    }
    y += 40;
  }
  svg_rect(out, SvgPoint{PANEL_X + 2, y - 6}, 12, 12, std::string("fill=\"") + SIGMA1_COLOUR + "\" stroke=\"black\"");
  svg_text(out, SvgPoint{PANEL_X + 32, y + 5}, std::string(SIGMA) + "1, " + SIGMA + "2, " + SIGMA + "3 of the " +
           (refined ? "refined state (small: grid's)" : "best state"), style);
  y += 22;
  svg_polygon(out, {{PANEL_X + 8, y + 6}, {PANEL_X + 4, y - 8}, {PANEL_X + 12, y - 8}}, "fill=\"black\"");
  svg_text(out, SvgPoint{PANEL_X + 32, y + 5}, bootstrap ? "SHmax, its 95 % interval shaded" : "SHmax", style);
  y += 22;
  svg_polyline(out, {{PANEL_X, y + 2}, {PANEL_X + 26, y - 2}}, "fill=\"none\" stroke=\"#505050\"");
  svg_text(out, SvgPoint{PANEL_X + 32, y + 4}, "fault plane; hanging-wall slip: outward", style);
  svg_text(out, SvgPoint{PANEL_X + 32, y + 20}, "normal, inward reverse, couple strike-slip", style);
  svg_group_end(out);
}

// Bars of the number of resamples whose best state has each Phi; the bar
// of the best state's Phi darker, the 95 % interval bracketed beneath.
void draw_phi_histogram(std::string& out, const Confidence& c, const GridPoint* grid,
                        double best_phi, double top) {
  long counts[11] = {0};
  for (const ResampledState& s : c.states) counts[std::lround(grid_phi(grid[s.index]) * 10)] += s.count;
  long most = *std::max_element(counts, counts + 11);
  const double height = 110.0, bar = 22.0, base = top + 28 + height;
  const long best_tenths = std::lround(best_phi * 10);
  svg_text(out, SvgPoint{PANEL_X, top}, std::string(PHI) + " of the resamples' best states (" +
           std::to_string(c.resamples) + ")", "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "resampled-phi", "font-size=\"11\" text-anchor=\"middle\"");
  auto x_of = [&](double tenths) { return PANEL_X + 4 + tenths * (bar + 4); };
  for (int j = 0; j <= 10; ++j) {
    double h = most > 0 ? height * double(counts[j]) / double(most) : 0.0;
    double x = x_of(j);
    svg_rect(out, SvgPoint{x, base - h}, bar, h,
             "id=\"resampled-phi-" + std::to_string(j) + "\" fill=\"" +
                 (j == best_tenths ? "#303030" : "#a0a0a0") + "\"");
    if (counts[j] > 0) svg_text(out, SvgPoint{x + bar / 2, base - h - 4}, std::to_string(counts[j]), "");
    svg_text(out, SvgPoint{x + bar / 2, base + 15}, phi_text(j), "");
  }
  svg_line(out, SvgPoint{PANEL_X, base}, SvgPoint{x_of(11), base}, "stroke=\"black\"");
  double low = x_of(c.phi.low * 10), high = x_of(c.phi.high * 10) + bar;
  double y = base + 26;
  svg_polyline(out, {{low, y - 5}, {low, y}, {high, y}, {high, y - 5}},
               "id=\"phi-interval\" fill=\"none\" stroke=\"black\" stroke-width=\"1.5\"");
  svg_text(out, SvgPoint{(low + high) / 2, y + 14}, "95 %", "");
  svg_group_end(out);
}

std::string misfit_colour(long misfit) {
  if (misfit < 15) return "#1a9641";
  if (misfit < 30) return "#f59d00";
  return "#d7191c";
}

std::string degrees(double value, int decimals) { return fixed(value, decimals) + DEGREE_SIGN; }

std::string whole_degrees_text(double value) { return shmax_text(value) + DEGREE_SIGN; }

PlotState plot_state(const BestStateReport& best) {
  return PlotState{best.sigma1, best.sigma2, best.sigma3,
                   int(std::lround(best.phi * 10)), 0};
}

std::string refined_line(const RefinedStateReport& r, const std::optional<Confidence>& c) {
  std::string line = "Refined: " + std::string(SIGMA) + "1 " + tenths_axis_text(r.sigma1.trend, r.sigma1.plunge) +
                     ", " + SIGMA + "3 " + tenths_axis_text(r.sigma3.trend, r.sigma3.plunge) + ", " +
                     PHI + " " + fixed(r.phi, 2) + ", mean misfit " + degrees(r.mean_misfit, 1);
  if (c)
    line += "; 95 % cones " + std::string(SIGMA) + "1 " + degrees(c->sigma1_cone, 1) + ", " + SIGMA +
            "3 " + degrees(c->sigma3_cone, 1);
  return line;
}

std::vector<std::string> caption(const FaultSet& data, const std::string& data_name,
                                 const std::string& results_name, const RunReport& report) {
  std::vector<std::string> lines = {data_text(data_name, data.count) + "; results: " + results_name};
  if (!report.best) return lines;
  const BestStateReport& b = *report.best;
  lines.push_back("Best stress state: " + state_text(plot_state(b)) + ", mean score " +
                  fixed(b.mean_score, 1) + " of 100 (" + report.weight_function + ")");
  lines.push_back("Regime " + std::string(regime_code(b.regime)) + ", SHmax " +
                  (b.shmax ? whole_degrees_text(*b.shmax) : std::string("none")) + ", R" + PRIME +
                  " " + fixed(b.r_prime, 1) + "; mean misfit " + degrees(b.mean_misfit, 1) + ", " +
                  std::to_string(b.data_fitting) + " of " + std::to_string(report.data_count) +
                  " data within " + degrees(b.fit_limit, 0));
  if (!report.confidence) {
    lines.push_back("No bootstrap" +
                    (report.no_confidence.empty() ? "" : " (" + report.no_confidence + ")"));
    if (b.refined) lines.push_back(refined_line(*b.refined, std::nullopt));
    return lines;
  }
  const Confidence& c = *report.confidence;
  auto cone = [](double v) {
    if (!cone_resolved(v)) return cone_text(v);
    return cone_text(v) + DEGREE_SIGN + (v > WIDEST_DRAWN_CONE ? " (not drawn)" : "");
  };
  std::string shmax = c.shmax ? ", SHmax " + whole_degrees_text(c.shmax->low) + EN_DASH +
                                    whole_degrees_text(c.shmax->high)
                              : "";
  lines.push_back(std::string("95 % confidence: ") + SIGMA + "1 cone " + cone(c.sigma1_cone) + ", " + SIGMA +
                  "3 cone " + cone(c.sigma3_cone) + ", " + PHI + " " + fixed(c.phi.low, 1) +
                  EN_DASH + fixed(c.phi.high, 1) + shmax + ", R" + PRIME + " " +
                  fixed(c.r_prime.low, 1) + EN_DASH + fixed(c.r_prime.high, 1));
  lines.push_back(std::to_string(c.resamples) + " bootstrap resamples (seed " +
                  std::to_string(c.seed) + "); the best state is the best of " +
                  fixed(100.0 * c.best_share, 1) + " % of them");
  if (b.refined) lines.push_back(refined_line(*b.refined, report.refined_confidence));
  return lines;
}

}  // namespace

MohrDiagram mohr_diagram(const GridPoint& point, const FaultSet& data) {
  std::vector<FaultDatum> prepared(data.data.begin(), data.data.begin() + data.count);
  for (FaultDatum& d : prepared) prepare_datum_geometry(d);
  MohrDiagram diagram{principal_axes(point), grid_phi(point), {}, {}};
  for (const FaultDatum& d : prepared) {
    Vec3d n{d.normal_vector.x, d.normal_vector.y, d.normal_vector.z};
    diagram.points.push_back(mohr_point(diagram.axes, diagram.phi, n));
  }
  diagram.misfits = data_fit(point.stress_tensor, prepared.data(), data.count,
                             DEFAULT_FIT_LIMIT_DEGREES).misfits;
  return diagram;
}

void draw_mohr_panel(std::string& out, const MohrDiagram& m, double left, double top) {
  const double scale = 300.0;  // pixels per unit of stress, both ways
  const double x0 = left + 12, base = top + 28 + 0.5 * scale;
  auto at = [&](double normal, double shear) { return SvgPoint{x0 + scale * normal, base - scale * shear}; };
  svg_text(out, SvgPoint{left, top}, "Mohr diagram of the best state",
           "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "mohr", "font-size=\"11\"");
  svg_line(out, at(0, 0), at(1.05, 0), "stroke=\"black\"");
  svg_line(out, at(0, 0), at(0, 0.52), "stroke=\"black\"");
  const double values[3] = {0.0, m.phi, 1.0};
  const int circles[3][2] = {{0, 2}, {0, 1}, {1, 2}};
  for (const auto& c : circles) {
    double a = values[c[0]], b = values[c[1]];
    std::vector<SvgPoint> arc;
    for (int i = 0; i <= 90; ++i) {
      double t = M_PI * i / 90;
      arc.push_back(at((a + b) / 2 + (b - a) / 2 * std::cos(t), (b - a) / 2 * std::sin(t)));
    }
    svg_polyline(out, arc, "fill=\"none\" stroke=\"#606060\"");
  }
  svg_text(out, offset(at(0, 0), -4, 14), std::string(SIGMA) + "3", "");
  svg_text(out, offset(at(m.phi, 0), -4, 14), std::string(SIGMA) + "2", "");
  svg_text(out, offset(at(1, 0), -4, 14), std::string(SIGMA) + "1", "");
  svg_text(out, offset(at(1.05, 0), 4, 4), std::string(SIGMA) + "n", "");
  svg_text(out, offset(at(0, 0.52), -4, -4), "\xcf\x84", "");
  for (size_t i = 0; i < m.points.size(); ++i) {
    long misfit = i < m.misfits.size() ? m.misfits[i] : 0;
    svg_circle(out, at(m.points[i].normal, m.points[i].shear), 3.5,
               "fill=\"" + misfit_colour(misfit) + "\" stroke=\"black\" stroke-width=\"0.5\" data-misfit=\"" +
                   std::to_string(misfit) + "\"");
  }
  double y = base + 34;
  const char* labels[3] = {"misfit < 15\xc2\xb0", "15\xc2\xb0 to 30\xc2\xb0", "30\xc2\xb0 or more"};
  const long examples[3] = {0, 15, 30};
  for (int i = 0; i < 3; ++i) {
    svg_circle(out, SvgPoint{left + 16 + i * 105, y - 4}, 3.5,
               "fill=\"" + misfit_colour(examples[i]) + "\" stroke=\"black\" stroke-width=\"0.5\"");
    svg_text(out, SvgPoint{left + 24 + i * 105, y}, labels[i], "font-size=\"12\"");
  }
  svg_group_end(out);
}

void draw_confidence_cone(std::string& out, Vec3d axis, double cone,
                          const char* colour, const std::string& id) {
  draw_cone(out, axis, cone, colour, id);
}

void draw_refined_cone(std::string& out, Vec3d axis, double cone, const char* colour,
                       const std::string& id) {
  if (cone > WIDEST_DRAWN_CONE) return;
  svg_group_begin(out, id, std::string("fill=\"none\" stroke=\"") + colour +
                               "\" stroke-width=\"2\" data-cone=\"" + fixed(cone, 1) + "\"");
  for (const std::vector<SvgPoint>& run : small_circle(axis, cone))
    if (run.size() > 1) svg_polyline(out, run, "");
  svg_group_end(out);
}

std::string CDM_confidence_picture(const FaultSet& data, const std::string& data_name,
                                   const std::string& results_name, const RunReport& report,
                                   const GridPoint* grid) {
  std::string out;
  std::string title = "Stress inversion (CDM) with bootstrap confidence";
  svg_begin(out, PICTURE_WIDTH, PICTURE_HEIGHT, title);
  svg_text(out, SvgPoint{30, 36}, title, "font-size=\"20\" font-weight=\"bold\"");
  draw_net(out);
  svg_group_begin(out, "fault-planes", "fill=\"none\" stroke=\"#505050\" stroke-width=\"1\"");
  for (int i = 0; i < data.count; ++i) draw_fault_plane(out, data.data[i], "");
  svg_group_end(out);
  svg_group_begin(out, "slip-arrows", "fill=\"black\" stroke=\"black\" stroke-width=\"1.3\"");
  for (int i = 0; i < data.count; ++i) draw_slip_arrow(out, data.data[i]);
  svg_group_end(out);
  const bool bootstrap = report.confidence.has_value();
  if (report.best) {
    const BestStateReport& b = *report.best;
    const PrincipalAxes best_axes = principal_axes(grid[b.grid_index]);
    if (bootstrap) draw_resampled_axes(out, *report.confidence, grid);
    if (bootstrap && !b.refined) {
      draw_cone(out, best_axes.sigma1, report.confidence->sigma1_cone, SIGMA1_COLOUR, "sigma1-cone");
      draw_cone(out, best_axes.sigma3, report.confidence->sigma3_cone, SIGMA3_COLOUR, "sigma3-cone");
    }
    if (b.refined && report.refined_confidence) {
      const RefinedStateReport& r = *b.refined;
      draw_refined_cone(out, axis_vector(r.sigma1.trend, r.sigma1.plunge),
                        report.refined_confidence->sigma1_cone, SIGMA1_COLOUR, "refined-sigma1-cone");
      draw_refined_cone(out, axis_vector(r.sigma3.trend, r.sigma3.plunge),
                        report.refined_confidence->sigma3_cone, SIGMA3_COLOUR, "refined-sigma3-cone");
    }
    draw_shmax(out, b.shmax, report.confidence);
    PlotState best = plot_state(b);
    if (!b.refined) {
      draw_axis_symbol(out, 1, axis_point(best.sigma1), "best-sigma1");
      draw_axis_symbol(out, 2, axis_point(best.sigma2), "best-sigma2");
      draw_axis_symbol(out, 3, axis_point(best.sigma3), "best-sigma3");
    } else {
      // The refined axes are the main marks, the grid state's small ones.
      draw_grid_mark(out, 1, axis_point(best.sigma1), "best-sigma1");
      draw_grid_mark(out, 2, axis_point(best.sigma2), "best-sigma2");
      draw_grid_mark(out, 3, axis_point(best.sigma3), "best-sigma3");
      const TrendPlunge* axes[3] = {&b.refined->sigma1, &b.refined->sigma2, &b.refined->sigma3};
      for (int i = 0; i < 3; ++i)
        draw_axis_symbol(out, i + 1, net_to_picture(project_axis_degrees(axes[i]->trend, axes[i]->plunge)),
                         "refined-sigma" + std::to_string(i + 1));
    }
    if (bootstrap) draw_phi_histogram(out, *report.confidence, grid, b.phi, 270);
    draw_mohr_panel(out, mohr_diagram(grid[b.grid_index], data), PANEL_X, 462);
  }
  draw_legend(out, 84, bootstrap, report.best && report.best->refined);
  draw_caption(out, caption(data, data_name, results_name, report));
  svg_end(out);
  return out;
}
