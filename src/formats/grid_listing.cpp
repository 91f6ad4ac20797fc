// Listing of the whole grid: gridpoints.txt gives the lower-hemisphere
// ends of the sigma1 and sigma3 axes and the stress ratio of every grid
// point, stresstensors.txt the upper triangle of its reduced tensor, line
// for line in the same order.
#include "formats/grid_listing.h"

#include "common/constants.h"
#include "common/number_format.h"
#include "grid/orientation.h"
#include "grid/state_axes.h"
#include "platform/results_file.h"

static const int CREDIT_WIDTH = 63;
static const char* const CREDIT_PROGRAM = "sorvel-grid 1.0.0";
static const char* const CREDIT_LICENCE = "Released under the MIT License";

static std::string right_aligned(const std::string& text, size_t width) {
  if (text.size() >= width) return text;
  return std::string(width - text.size(), ' ') + text;
}

// A count line: the label padded so that "=" stands in column 50, then
// the number in columns 52 to 56.
static std::string count_line(const std::string& label, long value) {
  std::string line = label;
  line.resize(49, ' ');
  line += "= ";
  append_int(line, value, 5);
  return line;
}

static std::string gridpoints_header() {
  std::string h;
  h += "List of Computational Grid Points for Fault Straiation Analysis\n";
  h += "\n";
  h += right_aligned(CREDIT_PROGRAM, CREDIT_WIDTH) + "\n";
  h += right_aligned(CREDIT_LICENCE, CREDIT_WIDTH) + "\n";
  h += "\n";
  h += "Stress Ratio Phi = (sigma2-sigma3)/(sigma1-sigma3)\n";
  h += "\n";
  h += count_line("Total Number of Grid Point", GSS_SIZE) + "\n";
  h += count_line("Number of sigma3 directions", GSS_SIGMA3_COUNT) + "\n";
  h += count_line("Number of sigma1 directions around a sigma3 axis", GSS_SIGMA1_COUNT) + "\n";
  h += count_line("Number of stress ratios for the same stress axes", GSS_RATIO_COUNT) + "\n";
  h += "\n";
  h += " ----------------------------------\n";
  h += "  sigma1 axis     sigma3 axis   Phi\n";
  h += " azimuth plunge  azimuth plunge\n";
  h += " ----------------------------------\n";
  return h;
}

static Orientation lower_end(Orientation axis) {
  return axis.plunge < 0.0f ? reverse_axis(axis) : axis;
}

static float degrees(float radians) { return radians / DEG_TO_RAD; }

static std::string gridpoint_line(const GridPoint& point, bool fixed_point) {
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  Orientation a1 = lower_end(vector_to_trend_plunge(Vec3{r.m[0][0], r.m[0][1], r.m[0][2]}));
  Orientation a3 = lower_end(vector_to_trend_plunge(Vec3{r.m[2][0], r.m[2][1], r.m[2][2]}));
  const float angles[4] = {degrees(a1.azimuth), degrees(a1.plunge), degrees(a3.azimuth),
                           degrees(a3.plunge)};
  std::string line;
  for (int i = 0; i < 4; ++i) {
    if (i == 2) line += ' ';
    if (fixed_point) {
      append_fixed(line, angles[i], 6, 1);
    } else {
      append_int(line, round_half_away(angles[i]), 4);
    }
  }
  if (fixed_point) {
    append_fixed(line, point.stress_ratio, 5, 1);
  } else {
    append_int(line, phi_tenths(point.stress_ratio), 4);
  }
  line += '\n';
  return line;
}

// S11 S12 S13 S22 S23 S33 of the column-by-column tensor.
static std::string tensor_line(const GridPoint& point) {
  static const int upper_triangle[6] = {0, 3, 6, 4, 7, 8};
  std::string line;
  for (int index : upper_triangle) append_fixed(line, point.stress_tensor[index], 10, 6);
  line += '\n';
  return line;
}

static void write_progress(const RunSettings& settings, int32_t k) {
  std::string line = " progress = ";
  append_int(line, k, 5);
  line += " / ";
  append_int(line, GSS_SIZE, 5);
  report_progress_line(settings, line);
}

static bool listing_failed(ResultsFile& points, ResultsFile& tensors) {
  results_file_discard(points);
  results_file_discard(tensors);
  return false;
}

bool write_grid_listing(const Gss& gss, bool fixed_point, const RunSettings& settings) {
  // Both files are written under temporary names and renamed only when
  // complete, so a failed listing never leaves a half-written file.
  ResultsFile points, tensors;
  bool points_open = results_file_open(points, "gridpoints.txt");
  bool tensors_open = results_file_open(tensors, "stresstensors.txt");
  if (!points_open || !tensors_open) return listing_failed(points, tensors);

  results_file_write(points, gridpoints_header());
  for (int32_t k = 1; k <= GSS_SIZE; ++k) {
    if (k % 10000 == 0) write_progress(settings, k);
    const GridPoint& point = gss.points[static_cast<std::size_t>(k - 1)];
    results_file_write(points, gridpoint_line(point, fixed_point));
    results_file_write(tensors, tensor_line(point));
  }
  bool points_done = results_file_commit(points);
  bool tensors_done = results_file_commit(tensors);
  if (!points_done || !tensors_done) return listing_failed(points, tensors);
  return true;
}
