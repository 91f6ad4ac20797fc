#include "analyses/cdm/cdm_results.h"

#include "common/number_format.h"
#include "grid/state_axes.h"
#include "platform/results_file.h"

std::string CDM_results_line(const GridPoint& point, int32_t fitness) {
  GridPointAxes axes = axes_of_gridpoint(point);
  Orientation s1 = downward_axis(axes.sigma1);
  Orientation s3 = downward_axis(axes.sigma3);
  std::string line;
  append_int(line, whole_degrees(s1.azimuth), 3);
  append_int(line, whole_degrees(s1.plunge), 3);
  append_int(line, whole_degrees(s3.azimuth), 4);
  append_int(line, whole_degrees(s3.plunge), 3);
  append_int(line, round_half_away(10.0f * point.stress_ratio), 3);
  append_int(line, fitness, 8);
  return line;
}

StageResult CDM_save_results(const std::string& path, const Gss& gss,
                             const std::vector<int32_t>& order, const GridValues& fitness) {
  const ErrorReport failure = {"CDM_save_results", "File I/O error", {}, ""};
  ResultsFile file;
  if (!results_file_open(file, path)) return failure;
  std::string chunk;
  for (int32_t k : order) {
    const std::size_t index = static_cast<std::size_t>(k);
    chunk += CDM_results_line(gss.points[index], fitness[index]);
    chunk += '\n';
    if (chunk.size() > 60000) {
      results_file_write(file, chunk);
      chunk.clear();
    }
  }
  results_file_write(file, chunk);
  if (!results_file_commit(file)) return failure;
  return std::nullopt;
}
