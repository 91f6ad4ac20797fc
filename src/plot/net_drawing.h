// The pieces that the CDM and the MIM pictures share: the equal-area net
// and where it lies, the fault planes and their slip, the symbols of the
// principal axes, the caption and the texts of axes and stress ratios.
#ifndef SORVEL_PLOT_NET_DRAWING_H_
#define SORVEL_PLOT_NET_DRAWING_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/tables.h"
#include "formats/state_text.h"
#include "grid/state_axes.h"
#include "plot/projection.h"
#include "plot/svg_writer.h"

/// An axis in whole degrees, turned to its downward end.
using PlotAxis = WholeDegreeAxis;

/// The principal axes, Phi and fitness (or votes) of one stress state.
struct PlotState {
  PlotAxis sigma1, sigma2, sigma3;
  int phi_tenths;
  long score;
};

/// Where a net lies in the picture: centre and radius of the primitive.
struct NetFrame {
  double centre_x, centre_y, radius;
};
/// The large net of both pictures.
extern const NetFrame NET_FRAME;

inline constexpr const char* SIGMA1_COLOUR = "#c00000";
inline constexpr const char* SIGMA2_COLOUR = "#008a00";
inline constexpr const char* SIGMA3_COLOUR = "#0030c0";

struct Rgb {
  int red, green, blue;
};
std::string rgb_text(Rgb c);
/// The colour a share `f` (0 to 1) of the way from `pale` to `strong`.
Rgb mix(Rgb pale, Rgb strong, double f);

SvgPoint offset(SvgPoint p, double dx, double dy);
/// Picture coordinates of a point of the net in `frame` (north up).
SvgPoint frame_point(const NetFrame& frame, NetPoint p);
/// The same for the large net.
SvgPoint net_to_picture(NetPoint p);
SvgPoint axis_point(PlotAxis axis);

/// "σ1 204/06, σ2 114/02, σ3 004/83, Φ = 0.6".
std::string state_text(const PlotState& s);
/// "Data: NAME, 16 faults".
std::string data_text(const std::string& data_name, int count);

/// Primitive circle with ticks, the north label and the centre cross.
void draw_net(std::string& out);
/// One fault plane as a great circle.
void draw_fault_plane(std::string& out, const FaultDatum& datum, const std::string& style);
void draw_arrow(std::string& out, SvgPoint tail, double dx, double dy, double length);
/// The hanging-wall slip of one datum at its slip point.
void draw_slip_arrow(std::string& out, const FaultDatum& datum);

/// The large symbol of axis `which` (1 to 3) in the colour of that axis,
/// labelled with the axis.
void draw_axis_symbol(std::string& out, int which, SvgPoint at, const std::string& id);
/// The same symbol in any colour, with any label placed at `label_at`
/// from its centre.
void draw_marked_axis(std::string& out, int which, SvgPoint at, const std::string& id,
                      const std::string& fill, const std::string& label, SvgPoint label_at);

/// A small unlabelled mark of the same shape, for a state beside the one
/// the large symbol shows (the grid's state beside its refined state).
void draw_small_mark(std::string& out, int which, SvgPoint at, const std::string& id,
                     const std::string& fill);

/// Lines of text under the net.
void draw_caption(std::string& out, const std::vector<std::string>& lines);

#endif  // SORVEL_PLOT_NET_DRAWING_H_
