#include "analyses/cdm/cdm_results.h"

#include <array>
#include <cstring>

#include "common/number_format.h"
#include "grid/state_axes.h"
#include "platform/results_file.h"

// The first 13 characters of a line: the sigma1 and sigma3 axes.
static std::string axes_text(const GridPoint& point) {
  GridPointAxes axes = axes_of_gridpoint(point);
  Orientation s1 = downward_axis(axes.sigma1);
  Orientation s3 = downward_axis(axes.sigma3);
  std::string text;
  append_int(text, whole_degrees(s1.azimuth), 3);
  append_int(text, whole_degrees(s1.plunge), 3);
  append_int(text, whole_degrees(s3.azimuth), 4);
  append_int(text, whole_degrees(s3.plunge), 3);
  return text;
}

static void append_phi(std::string& out, const GridPoint& point) {
  append_int(out, round_half_away(10.0f * point.stress_ratio), 3);
}

std::string CDM_results_line(const GridPoint& point, int32_t fitness) {
  std::string line = axes_text(point);
  append_phi(line, point);
  append_int(line, fitness, 8);
  return line;
}

static bool same_angles(const GridPoint& a, const GridPoint& b) {
  return a.euler_theta == b.euler_theta && a.euler_phi == b.euler_phi &&
         a.euler_psi == b.euler_psi;
}

// A line is 24 characters: both axes and Phi, then the fitness.
constexpr std::size_t START_LENGTH = 16;
constexpr std::size_t LINE_LENGTH = 24;
using LineStart = std::array<char, START_LENGTH>;

// The first 16 characters of every GridPoint's line, in grid order. The
// grid gives each orientation to a run of stress ratios, so the axes are
// worked out only where the angles change: the same arithmetic on the same
// values gives the same text.
static std::vector<LineStart> line_starts(const Gss& gss) {
  std::vector<LineStart> starts(gss.points.size());
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const GridPoint& point = gss.points[k];
    char* start = starts[k].data();
    if (k > 0 && same_angles(point, gss.points[k - 1])) {
      std::memcpy(start, starts[k - 1].data(), START_LENGTH);
    } else {
      GridPointAxes axes = axes_of_gridpoint(point);
      Orientation s1 = downward_axis(axes.sigma1);
      Orientation s3 = downward_axis(axes.sigma3);
      write_int_field(start, whole_degrees(s1.azimuth), 3);
      write_int_field(start + 3, whole_degrees(s1.plunge), 3);
      write_int_field(start + 6, whole_degrees(s3.azimuth), 4);
      write_int_field(start + 10, whole_degrees(s3.plunge), 3);
    }
    write_int_field(start + 13, round_half_away(10.0f * point.stress_ratio), 3);
  }
  return starts;
}

StageResult CDM_save_results(const std::string& path, const Gss& gss,
                             const std::vector<int32_t>& order, const GridValues& fitness) {
  const ErrorReport failure = {"CDM_save_results", "File I/O error", {}, ""};
  ResultsFile file;
  if (!results_file_open(file, path)) return failure;
  const std::vector<LineStart> starts = line_starts(gss);
  // The lines are laid out in a buffer of whole lines, handed over in pieces.
  const std::size_t lines_per_piece = 2400;
  std::string piece(lines_per_piece * (LINE_LENGTH + 1), ' ');
  std::size_t used = 0;
  for (int32_t k : order) {
    const std::size_t index = static_cast<std::size_t>(k);
    char* line = piece.data() + used;
    std::memcpy(line, starts[index].data(), START_LENGTH);
    write_int_field(line + START_LENGTH, fitness[index], 8);
    line[LINE_LENGTH] = '\n';
    used += LINE_LENGTH + 1;
    if (used == piece.size()) {
      results_file_write(file, piece);
      used = 0;
    }
  }
  piece.resize(used);
  results_file_write(file, piece);
  if (!results_file_commit(file)) return failure;
  return std::nullopt;
}
