#include "analyses/cim/cim_results.h"

#include "analyses/cdm/cdm_results.h"
#include "common/number_format.h"
#include "common/results_file.h"
#include "common/state.h"
#include "fitness/fitness_table.h"
#include "shell/error_reporter.h"

// The column titles stand right-aligned over 123 columns.
const char CIM_HEADER[] =
    "                 fitness   sigma1axis_azimuth sigma1axis_plunge   "
    "sigma3axis_azimuth sigma3axis_plunge   stress_ratio_Phi_B";

// Text is handed to the results file in pieces of about this size.
static const size_t CHUNK_BYTES = 1 << 16;

// A misfit angle is 0 to 180 whole degrees, so its 4-column field always
// holds it; it is laid out by hand because a file for many data has tens
// of millions of these fields.
static void append_misfit_degrees(std::string& out, long degrees) {
  if (degrees < 0 || degrees > 999) {
    append_int(out, degrees, 4);
    return;
  }
  char field[4] = {' ', ' ', ' ', ' '};
  for (int i = 3; i >= 1 && (degrees > 0 || i == 3); --i) {
    field[i] = static_cast<char>('0' + degrees % 10);
    degrees /= 10;
  }
  out.append(field, 4);
}

static void append_misfit_angles(std::string& out, const GridPoint& point) {
  for (int32_t j = 0; j < faults.count; ++j) {
    const FaultDatum& datum = faults.data[j];
    Vec3 p = predicted_slip_direction(point.stress_tensor, datum.normal_vector);
    append_misfit_degrees(out, whole_degrees(misfit_angle(p, datum.slip_vector)));
  }
}

void CIM_append_row(std::string& out, int32_t k) {
  const GridPoint& point = gss[k - 1];
  GridPointAxes axes = axes_of_gridpoint(k);
  Orientation s1 = downward_axis(axes.sigma1);
  Orientation s3 = downward_axis(axes.sigma3);
  append_int(out, point.fitness, 8);
  append_int(out, whole_degrees(s1.azimuth), 4);
  append_int(out, whole_degrees(s1.plunge), 3);
  append_int(out, whole_degrees(s3.azimuth), 4);
  append_int(out, whole_degrees(s3.plunge), 3);
  append_fixed(out, point.stress_ratio, 4, 1);
  append_misfit_angles(out, point);
}

void CIM_save_results() {
  // The CDM writer reports the same failure under its own name, and so
  // does this one: both files are opened the same way.
  ResultsFile file;
  if (!results_file_open(file, file_names.results_file))
    ErrorReporter("CDM_save_results", "File I/O error");
  std::string chunk = CIM_HEADER;
  chunk += '\n';
  chunk.reserve(2 * CHUNK_BYTES + 26 + 4 * static_cast<size_t>(faults.count));
  // Every row ends with its line end, the last one too, as text tools
  // that read line by line expect; no empty line follows.
  for (int32_t k = GSS_SIZE; k >= 1; --k) {
    CIM_append_row(chunk, k);
    chunk += '\n';
    if (chunk.size() >= CHUNK_BYTES) {
      results_file_write(file, chunk);
      chunk.clear();
    }
  }
  results_file_write(file, chunk);
  if (!results_file_commit(file)) ErrorReporter("CDM_save_results", "File I/O error");
}
