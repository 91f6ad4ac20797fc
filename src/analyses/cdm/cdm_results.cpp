#include "analyses/cdm/cdm_results.h"

#include "common/number_format.h"
#include "common/results_file.h"
#include "common/state.h"
#include "grid/orientation.h"
#include "shell/error_reporter.h"

GridPointAxes axes_of_gridpoint(int32_t k) {
  const GridPoint& point = gss[k - 1];
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  GridPointAxes axes;
  axes.sigma1 = vector_to_trend_plunge(Vec3{r.m[0][0], r.m[0][1], r.m[0][2]});
  axes.sigma3 = vector_to_trend_plunge(Vec3{r.m[2][0], r.m[2][1], r.m[2][2]});
  return axes;
}

Orientation downward_axis(Orientation axis) {
  return axis.plunge < 0.0f ? reverse_axis(axis) : axis;
}

long whole_degrees(float radians) { return round_half_away(radians / DEG_TO_RAD); }

std::string CDM_results_line(int32_t k) {
  GridPointAxes axes = axes_of_gridpoint(k);
  Orientation s1 = downward_axis(axes.sigma1);
  Orientation s3 = downward_axis(axes.sigma3);
  std::string line;
  append_int(line, whole_degrees(s1.azimuth), 3);
  append_int(line, whole_degrees(s1.plunge), 3);
  append_int(line, whole_degrees(s3.azimuth), 4);
  append_int(line, whole_degrees(s3.plunge), 3);
  append_int(line, round_half_away(10.0f * gss[k - 1].stress_ratio), 3);
  append_int(line, gss[k - 1].fitness, 8);
  return line;
}

void CDM_save_results() {
  ResultsFile file;
  if (!results_file_open(file, file_names.results_file))
    ErrorReporter("CDM_save_results", "File I/O error");
  std::string chunk;
  for (int32_t k = 1; k <= GSS_SIZE; ++k) {
    chunk += CDM_results_line(k);
    chunk += '\n';
    if (chunk.size() > 60000) {
      results_file_write(file, chunk);
      chunk.clear();
    }
  }
  results_file_write(file, chunk);
  if (!results_file_commit(file)) ErrorReporter("CDM_save_results", "File I/O error");
}
