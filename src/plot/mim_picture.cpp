#include "plot/mim_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "geometry/vectors.h"
#include "plot/confidence_picture.h"
#include "plot/stereonet.h"
#include "stress/stress_quantities.h"

namespace {

const int PICTURE_WIDTH = 1200;
const int PICTURE_HEIGHT = 780;
const double PANEL_X = 660.0;  // left edge of the density nets, table and legend
const size_t TABLE_ROWS = 10;  // states listed in the table at the most

// The density nets: half the primitive's diameter in cells, so that a
// cell is about 6 degrees of arc across near the centre.
const int HALF_CELLS = 10;
const NetFrame SIGMA1_NET = {795.0, 200.0, 115.0};
const NetFrame SIGMA3_NET = {1060.0, 200.0, 115.0};

const char* const NONE_COLOUR = "#9a9a9a";
const char* const STATE_COLOURS[] = {"#d62728", "#1f77b4", "#2ca02c", "#ff7f0e",
                                     "#9467bd", "#8c564b", "#e377c2", "#17becf"};

const char* const SIGMA = "\xcf\x83";

// ---- the data and the states on the large net ----------------------------

// Each datum in its own group, so that its plane and its slip share the
// colour of its state.
void draw_data(std::string& out, const FaultSet& data, const DataAssignment& a) {
  svg_group_begin(out, "data", "fill=\"none\" stroke-width=\"1.3\"");
  for (int i = 0; i < data.count; ++i) {
    std::string c = state_colour(a.state[size_t(i)]);
    svg_group_begin(out, "datum-" + std::to_string(i + 1),
                    "data-state=\"" + std::to_string(a.state[size_t(i)]) + "\" stroke=\"" + c +
                        "\" fill=\"" + c + "\"");
    draw_fault_plane(out, data.data[i], "fill=\"none\"");
    draw_slip_arrow(out, data.data[i]);
    svg_group_end(out);
  }
  svg_group_end(out);
}

// The labels of successive states stand in turn upper right, lower right,
// upper left and lower left of their symbols, so that the axes of states
// that share a direction stay legible.
// A refined state's axes are the large marks and its grid state's the
// small ones.
const RefinedStateReport* refined_of(const MimFindings& f, size_t s) {
  return s < f.refined.size() && f.refined[s] ? &*f.refined[s] : nullptr;
}

SvgPoint refined_point(const TrendPlunge& axis) {
  return net_to_picture(project_axis_degrees(axis.trend, axis.plunge));
}

void draw_states(std::string& out, const Gss& gss, const MimFindings& f) {
  static const SvgPoint label_at[4] = {{12, -9}, {12, 22}, {-34, -9}, {-34, 22}};
  for (size_t s = 0; s < f.states.size(); ++s) {
    PlotState p = state_of_gridpoint(gss, f.states[s].index);
    std::string id = "state-" + std::to_string(s + 1), label = "S" + std::to_string(s + 1);
    std::string c = state_colour(int(s + 1));
    SvgPoint at = label_at[s % 4];
    const SvgPoint grid[3] = {axis_point(p.sigma1), axis_point(p.sigma2), axis_point(p.sigma3)};
    const RefinedStateReport* r = refined_of(f, s);
    for (int i = 0; i < 3; ++i) {
      std::string axis = "-sigma" + std::to_string(i + 1);
      if (r == nullptr) {
        draw_marked_axis(out, i + 1, grid[i], id + axis, c, label, at);
        continue;
      }
      const TrendPlunge* refined[3] = {&r->sigma1, &r->sigma2, &r->sigma3};
      draw_small_mark(out, i + 1, grid[i], id + axis, c);
      draw_marked_axis(out, i + 1, refined_point(*refined[i]), id + "-refined" + axis, c, label, at);
    }
  }
}

// The 95 % cones of sigma1 and sigma3 of each population that has them:
// those of the refined resamples, at their size, when it was refined.
void draw_cones(std::string& out, const Gss& gss, const MimFindings& f) {
  for (size_t s = 0; s < f.confidence.size() && s < f.states.size(); ++s) {
    if (!f.confidence[s]) continue;
    std::string id = "state-" + std::to_string(s + 1);
    std::string c = state_colour(int(s + 1));
    const RefinedStateReport* r = refined_of(f, s);
    if (r != nullptr && s < f.refined_confidence.size() && f.refined_confidence[s]) {
      const Confidence& rc = *f.refined_confidence[s];
      draw_refined_cone(out, axis_vector(r->sigma1.trend, r->sigma1.plunge), rc.sigma1_cone,
                        c.c_str(), id + "-refined-sigma1-cone");
      draw_refined_cone(out, axis_vector(r->sigma3.trend, r->sigma3.plunge), rc.sigma3_cone,
                        c.c_str(), id + "-refined-sigma3-cone");
      continue;
    }
    PrincipalAxes axes = principal_axes(gss.points[size_t(f.states[s].index - 1)]);
    draw_confidence_cone(out, axes.sigma1, f.confidence[s]->sigma1_cone, c.c_str(), id + "-sigma1-cone");
    draw_confidence_cone(out, axes.sigma3, f.confidence[s]->sigma3_cone, c.c_str(), id + "-sigma3-cone");
  }
}

// ---- the density of the votes --------------------------------------------

using Cell = std::pair<int, int>;  // column and row of the cell grid, east and north

// Axis `which` (1 or 3) of a state, in whole degrees.
PlotAxis axis_of(const PlotState& s, int which) { return which == 1 ? s.sigma1 : s.sigma3; }

Cell cell_of(NetPoint p) {
  auto index = [](double v) {
    return std::clamp(int(std::floor(v * HALF_CELLS)), -HALF_CELLS, HALF_CELLS - 1);
  };
  return Cell{index(p.x), index(p.y)};
}

// The votes that fall into each cell of the net through axis `which`.
std::map<Cell, long> vote_cells(const Gss& gss, const std::vector<MimVote>& votes, int which) {
  std::map<Cell, long> cells;
  for (const MimVote& v : votes) {
    PlotAxis axis = axis_of(state_of_gridpoint(gss, v.index), which);
    cells[cell_of(project_axis_degrees(axis.azimuth, axis.plunge))] += v.votes;
  }
  return cells;
}

void draw_small_net(std::string& out, const NetFrame& f, const std::string& title) {
  svg_text(out, SvgPoint{f.centre_x, f.centre_y - f.radius - 14}, title,
           "font-size=\"14\" font-weight=\"bold\" text-anchor=\"middle\"");
  svg_circle(out, SvgPoint{f.centre_x, f.centre_y}, f.radius,
             "fill=\"none\" stroke=\"black\" stroke-width=\"1.2\"");
  SvgPoint centre{f.centre_x, f.centre_y};
  svg_line(out, offset(centre, -4, 0), offset(centre, 4, 0), "stroke=\"black\"");
  svg_line(out, offset(centre, 0, -4), offset(centre, 0, 4), "stroke=\"black\"");
  svg_text(out, SvgPoint{f.centre_x, f.centre_y - f.radius - 2}, "N",
           "font-size=\"10\" text-anchor=\"middle\"");
}

// Shaded cells, from pale grey (a few votes) to the full colour of the
// fullest cell, by the square root of the share of its votes so that the
// lesser peaks stay visible beside the strongest.
void draw_vote_cells(std::string& out, const Gss& gss, const NetFrame& f,
                     const std::vector<MimVote>& votes, int which, Rgb strong) {
  std::string id = "density-sigma" + std::to_string(which);
  std::map<Cell, long> cells = vote_cells(gss, votes, which);
  long most = 1;
  for (const auto& [cell, count] : cells) most = std::max(most, count);
  svg_clip_circle(out, id + "-clip", SvgPoint{f.centre_x, f.centre_y}, f.radius);
  svg_group_begin(out, id, "clip-path=\"url(#" + id + "-clip)\" stroke=\"none\"");
  double side = f.radius / HALF_CELLS;
  for (const auto& [cell, count] : cells) {
    double share = std::sqrt(double(count) / double(most));
    SvgPoint corner = frame_point(f, NetPoint{double(cell.first) / HALF_CELLS,
                                              double(cell.second + 1) / HALF_CELLS});
    svg_rect(out, corner, side, side,
             "fill=\"" + rgb_text(mix({236, 236, 236}, strong, share)) + "\"");
  }
  svg_group_end(out);
}

// The density net of axis `which` with the states found labelled where
// that axis of theirs lies.
void draw_density(std::string& out, const Gss& gss, const NetFrame& f,
                  const std::vector<MimVote>& votes, const std::vector<MimVote>& states, int which,
                  Rgb strong) {
  draw_vote_cells(out, gss, f, votes, which, strong);
  draw_small_net(out, f, std::string(SIGMA) + std::to_string(which) + " of the votes");
  svg_group_begin(out, "density-sigma" + std::to_string(which) + "-states",
                  "font-size=\"12\" font-weight=\"bold\" stroke=\"white\" stroke-width=\"3\" "
                  "paint-order=\"stroke\"");
  for (size_t s = 0; s < states.size(); ++s) {
    PlotAxis axis = axis_of(state_of_gridpoint(gss, states[s].index), which);
    SvgPoint at = frame_point(f, project_axis_degrees(axis.azimuth, axis.plunge));
    svg_circle(out, at, 2.5, "fill=\"black\" stroke=\"none\"");
    svg_text(out, offset(at, 4, -4), "S" + std::to_string(s + 1),
             "fill=\"" + state_colour(int(s + 1)) + "\"");
  }
  svg_group_end(out);
}

// ---- the table and the legend --------------------------------------------

// A number as short as it goes: 40, 0.25.
std::string short_number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string degrees_text(double value) { return short_number(value) + "\xc2\xb0"; }

void draw_state_table(std::string& out, const Gss& gss, const MimFindings& f, double y) {
  static const double columns[8] = {0, 36, 96, 140, 200, 262, 324, 386};
  static const char* const heads[8] = {"", "votes", "fit", "given", "\xcf\x83" "1",
                                       "\xcf\x83" "2", "\xcf\x83" "3", "\xce\xa6"};
  svg_text(out, SvgPoint{PANEL_X, y},
           "Populations (" + std::to_string(f.states.size()) + ")",
           "font-size=\"15\" font-weight=\"bold\"");
  svg_group_begin(out, "state-table", "font-size=\"13\"");
  for (int c = 0; c < 8; ++c)
    svg_text(out, SvgPoint{PANEL_X + columns[c], y + 24}, heads[c], "font-weight=\"bold\"");
  svg_line(out, SvgPoint{PANEL_X, y + 30}, SvgPoint{PANEL_X + 420, y + 30}, "stroke=\"black\"");
  for (size_t s = 0; s < std::min(f.states.size(), TABLE_ROWS); ++s) {
    PlotState p = state_of_gridpoint(gss, f.states[s].index);
    std::string cells[8] = {"S" + std::to_string(s + 1), std::to_string(f.states[s].votes),
                            std::to_string(f.assignment.fitting[s]),
                            std::to_string(f.assignment.assigned[s]), axis_text(p.sigma1),
                            axis_text(p.sigma2), axis_text(p.sigma3), phi_text(p.phi_tenths)};
    double row = y + 48 + 19 * double(s);
    for (int c = 0; c < 8; ++c)
      svg_text(out, SvgPoint{PANEL_X + columns[c], row}, cells[c],
               c == 0 ? "font-weight=\"bold\" fill=\"" + state_colour(int(s + 1)) + "\"" : "");
  }
  svg_group_end(out);
  if (f.states.size() > TABLE_ROWS)
    svg_text(out, SvgPoint{PANEL_X, y + 48 + 19 * double(TABLE_ROWS)},
             "and " + std::to_string(f.states.size() - TABLE_ROWS) +
                 " more on the standard output", "font-size=\"13\"");
}

void draw_legend(std::string& out, const MimFindings& f, double top) {
  std::string style = "font-size=\"13\"";
  svg_group_begin(out, "legend", "");
  SvgPoint at{PANEL_X + 10, top};
  draw_marked_axis(out, 1, at, "legend-sigma1", "white", "", {0, 0});
  draw_marked_axis(out, 2, offset(at, 24, 0), "legend-sigma2", "white", "", {0, 0});
  draw_marked_axis(out, 3, offset(at, 48, 0), "legend-sigma3", "white", "", {0, 0});
  const bool refined = std::any_of(f.refined.begin(), f.refined.end(),
                                   [](const std::optional<RefinedStateReport>& r) { return r.has_value(); });
  svg_text(out, offset(at, 66, 5), std::string(SIGMA) + "1, " + SIGMA + "2, " + SIGMA +
                                       (refined ? "3 of state Sn refined (small: grid's)"
                                                : "3 of state Sn, in its colour"),
           style);
  svg_text(out, SvgPoint{PANEL_X, top + 26},
           "fault plane and hanging-wall slip in the colour of the state it", style);
  svg_text(out, SvgPoint{PANEL_X, top + 43},
           "fits best (misfit under " + degrees_text(f.fit_limit) + "), grey when it fits none", style);
  svg_text(out, SvgPoint{PANEL_X, top + 60},
           "fit: data fitting the state; given: data assigned to it", style);
  svg_group_end(out);
}


std::vector<std::string> caption(const FaultSet& data, const std::string& data_name,
                                 const std::string& results_name, const PlotResults& results,
                                 const MimFindings& f) {
  long subsets = 0;
  for (const MimVote& v : results.votes) subsets += v.votes;
  int none = int(std::count(f.assignment.state.begin(), f.assignment.state.end(), 0));
  return {data_text(data_name, data.count) + "; results: " + results_name,
          "Subsets of k =" + results.k_text + " data: " + std::to_string(subsets) + "; " +
              std::to_string(results.votes.size()) + " stress states voted; weight function " +
              results.function_name,
          f.populations_found,
          "Data fitting no state: " + std::to_string(none) + " of " + std::to_string(data.count)};
}

}  // namespace

std::string state_colour(int s) {
  if (s <= 0) return NONE_COLOUR;
  return STATE_COLOURS[size_t(s - 1) % (sizeof STATE_COLOURS / sizeof *STATE_COLOURS)];
}

std::string MIM_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                        const std::string& results_name, const PlotResults& results,
                        const MimFindings& findings) {
  std::string out;
  std::string title = "Stress inversion (MIM): lower-hemisphere equal-area net";
  svg_begin(out, PICTURE_WIDTH, PICTURE_HEIGHT, title);
  svg_text(out, SvgPoint{30, 36}, title, "font-size=\"20\" font-weight=\"bold\"");
  draw_net(out);
  draw_data(out, data, findings.assignment);
  draw_states(out, gss, findings);
  draw_cones(out, gss, findings);
  draw_density(out, gss, SIGMA1_NET, results.votes, findings.states, 1, {170, 0, 0});
  draw_density(out, gss, SIGMA3_NET, results.votes, findings.states, 3, {0, 30, 160});
  draw_state_table(out, gss, findings, 370);
  draw_legend(out, findings, 610);
  draw_caption(out, caption(data, data_name, results_name, results, findings));
  svg_end(out);
  return out;
}
