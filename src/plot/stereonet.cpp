#include "plot/stereonet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "formats/cdm_file.h"
#include "grid/grid_labels.h"
#include "grid/state_axes.h"
#include "common/number_format.h"
#include "data/fault_geometry.h"
#include "grid/orientation.h"
#include "plot/confidence_picture.h"

namespace {

const int PICTURE_WIDTH = 1020;
const int PICTURE_HEIGHT = 740;
const double PANEL_X = 660.0;  // left edge of the legend, chart and table
const int BEST_SHARE = GSS_SIZE / 100;  // the best 1 % of the stress states

void draw_fault_planes(std::string& out, const FaultSet& data) {
  svg_group_begin(out, "fault-planes", "fill=\"none\" stroke=\"#505050\" stroke-width=\"1\"");
  for (int i = 0; i < data.count; ++i) draw_fault_plane(out, data.data[i], "");
  svg_group_end(out);
}

void draw_slip_arrows(std::string& out, const FaultSet& data) {
  svg_group_begin(out, "slip-arrows", "fill=\"black\" stroke=\"black\" stroke-width=\"1.3\"");
  for (int i = 0; i < data.count; ++i) draw_slip_arrow(out, data.data[i]);
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
    svg_circle(out, axis_point(s.sigma1), 3.0, s1);
    svg_circle(out, axis_point(s.sigma3), 3.0, s3);
  }
  svg_group_end(out);
}

// ---- the panel beside the net -------------------------------------------

void draw_legend(std::string& out, double top) {
  std::string style = "font-size=\"13\"";
  svg_text(out, SvgPoint{PANEL_X, top}, "Legend", "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "legend", "");
  std::string small = "of the best 1 %, darker = fitter";
  svg_circle(out, SvgPoint{PANEL_X + 8, top + 20}, 4, std::string("fill=\"") + SIGMA1_COLOUR + "\"");
  svg_circle(out, SvgPoint{PANEL_X + 20, top + 20}, 4, std::string("fill=\"") + SIGMA3_COLOUR + "\"");
  svg_text(out, SvgPoint{PANEL_X + 32, top + 25}, "\xcf\x83" "1, \xcf\x83" "3 " + small, style);
  svg_rect(out, SvgPoint{PANEL_X + 2, top + 36}, 12, 12,
           std::string("fill=\"") + SIGMA1_COLOUR + "\" stroke=\"black\"");
  svg_text(out, SvgPoint{PANEL_X + 32, top + 47},
           "\xcf\x83" "1, \xcf\x83" "2, \xcf\x83" "3 of the best state", style);
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

// Net, fault planes and slip arrows.
void begin_picture(std::string& out, const FaultSet& data, const std::string& title) {
  svg_begin(out, PICTURE_WIDTH, PICTURE_HEIGHT, title);
  svg_text(out, SvgPoint{30, 36}, title, "font-size=\"20\" font-weight=\"bold\"");
  draw_net(out);
  draw_fault_planes(out, data);
  draw_slip_arrows(out, data);
}

}  // namespace

PlotState state_of_gridpoint(const Gss& gss, int32_t k) {
  const GridPoint& point = gss.points[static_cast<std::size_t>(k - 1)];
  StateAxes axes = state_axes(point);
  PlotState state;
  state.sigma1 = axes.sigma1;
  state.sigma2 = axes.sigma2;
  state.sigma3 = axes.sigma3;
  state.phi_tenths = int(phi_tenths(point.stress_ratio));
  state.score = 0;
  return state;
}

int32_t gridpoint_of_line(const Gss& gss, const CdmState& line) {
  // The grid's labels hold the numbers of every line's first 16 columns,
  // worked out once per run of stress ratios.
  const GridLabels labels = label_grid(gss);
  if (!labels.complete) {
    for (int32_t k = 1; k <= GSS_SIZE; ++k) {
      const GridPoint& point = gss.points[static_cast<std::size_t>(k - 1)];
      if (CDM_results_line(point, 0).compare(0, 16, line.axes_text) == 0) return k;
    }
    return 0;
  }
  for (std::size_t i = 0; i < labels.points.size(); ++i) {
    const PointLabel label = labels.points[i];
    const RunAxes& axes = labels.runs[label.run];
    if (label.phi_tenths == line.phi_tenths && axes.sigma1_azimuth == line.sigma1.azimuth &&
        axes.sigma1_plunge == line.sigma1.plunge && axes.sigma3_azimuth == line.sigma3.azimuth &&
        axes.sigma3_plunge == line.sigma3.plunge)
      return static_cast<int32_t>(i + 1);
  }
  return 0;
}

PlotState best_cdm_state(const Gss& gss, const PlotResults& results) {
  const CdmState& line = results.states.back();
  PlotState best;
  best.sigma1 = line.sigma1;
  best.sigma3 = line.sigma3;
  best.phi_tenths = line.phi_tenths;
  best.score = line.fitness;
  int32_t k = gridpoint_of_line(gss, line);
  if (k > 0) {
    best.sigma2 = state_of_gridpoint(gss, k).sigma2;
  } else {
    // A line no GridPoint gives (an edited file): sigma2 completes the
    // right-handed frame of the two whole-degree axes.
    Vec3 s1 = orientation_to_vector(make_orientation(line.sigma1.azimuth * DEG_TO_RAD, line.sigma1.plunge * DEG_TO_RAD));
    Vec3 s3 = orientation_to_vector(make_orientation(line.sigma3.azimuth * DEG_TO_RAD, line.sigma3.plunge * DEG_TO_RAD));
    best.sigma2 = whole_degree_axis(vector_to_trend_plunge(cross_product(s3, s1)));
  }
  return best;
}

std::string CDM_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results) {
  std::string out;
  PlotState best = best_cdm_state(gss, results);
  begin_picture(out, data, "Stress inversion (CDM): lower-hemisphere equal-area net");
  draw_best_share(out, results.states);
  draw_best_state(out, best, "best");
  draw_legend(out, 90);
  draw_phi_chart(out, results.states, 280);
  // The Mohr diagram needs the state's tensor: a line no GridPoint gives
  // (an edited file) goes without it.
  if (int32_t k = gridpoint_of_line(gss, results.states.back()); k > 0)
    draw_mohr_panel(out, mohr_diagram(gss.points[static_cast<std::size_t>(k - 1)], data), PANEL_X,
                    480);
  draw_caption(out, {data_text(data_name, data.count) + "; results: " + results_name,
                     "Best stress state: " + state_text(best) + ", fitness " +
                         std::to_string(best.score),
                     "Small symbols: the best 1 % (" + std::to_string(BEST_SHARE) +
                         " of 59400 stress states)"});
  svg_end(out);
  return out;
}
