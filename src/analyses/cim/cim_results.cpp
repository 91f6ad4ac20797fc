#include "analyses/cim/cim_results.h"

#include "analyses/cdm/cdm_results.h"
#include "common/number_format.h"
#include "common/results_file.h"
#include "common/state.h"
#include "fitness/fitness_table.h"
#include "common/code_paths.h"
#include "common/threads.h"
#include "fitness/pair_kernels.h"
#include "fitness/step_table.h"
#include "math/float_functions.h"
#include "shell/error_reporter.h"

#include <cmath>
#include <cstring>
#include <vector>

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

// The 26 columns of a row before the misfits.
static void append_row_start(std::string& out, int32_t k) {
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
}

void CIM_append_row(std::string& out, int32_t k) {
  append_row_start(out, k);
  append_misfit_angles(out, gss[k - 1]);
}

void CIM_save_results_reference() {
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

// The fast writer: the misfits of a row from the dot products of many
// pairs at once and a table from the dot product to whole degrees, blocks
// of rows formed on every thread and written in order.

static long degrees_of_dot(float d, const void*) { return whole_degrees(acos_cr(d)); }

// The misfit fields 0 to 180, four characters each.
struct MisfitFields {
  char text[181][4];
};

static MisfitFields misfit_fields() {
  MisfitFields fields;
  for (long degrees = 0; degrees <= 180; ++degrees) {
    std::string field;
    append_misfit_degrees(field, degrees);
    std::memcpy(fields.text[degrees], field.data(), 4);
  }
  return fields;
}

struct RowMaker {
  DataComponents data;
  StepTable degrees;
  MisfitFields fields;
  int32_t n;
};

static void append_fast_row(std::string& out, const RowMaker& maker, int32_t k,
                            std::vector<float>& d) {
  append_row_start(out, k);
  if (maker.n > 0) dots_over_data(gss[k - 1].stress_tensor, maker.data, 0, maker.n, d.data());
  for (int32_t j = 0; j < maker.n; ++j) {
    long degrees = step_value(maker.degrees, d[static_cast<std::size_t>(j)]);
    if (degrees >= 0 && degrees <= 180) out.append(maker.fields.text[degrees], 4);
    else append_misfit_degrees(out, degrees);
  }
  out += '\n';
}

// Rows per piece of work: about a megabyte of text.
static int32_t rows_per_piece(int32_t n) {
  int32_t row = 27 + 4 * n;
  int32_t rows = (1 << 20) / row;
  return rows < 1 ? 1 : rows;
}

void CIM_save_results() {
  if (reference_paths()) return CIM_save_results_reference();
  ResultsFile file;
  if (!results_file_open(file, file_names.results_file))
    ErrorReporter("CDM_save_results", "File I/O error");
  const int32_t n = faults.count > 0 ? faults.count : 0;
  RowMaker maker{data_components(faults.data, n), build_step_table(degrees_of_dot, nullptr),
                 misfit_fields(), n};
  results_file_write(file, std::string(CIM_HEADER) + "\n");
  const int threads = thread_count();
  const int32_t rows = rows_per_piece(n);
  std::vector<std::string> pieces(static_cast<std::size_t>(threads));
  // Rows from position GSS_SIZE down to 1, in pieces of `rows`; each round
  // makes one piece per thread and writes the round's pieces in order.
  for (int32_t top = GSS_SIZE; top >= 1; top -= rows * threads) {
    parallel_for(threads, threads, [&](int32_t piece) {
      std::string& text = pieces[static_cast<std::size_t>(piece)];
      text.clear();
      std::vector<float> d(static_cast<std::size_t>(n));
      int32_t first = top - piece * rows;
      for (int32_t k = first; k > first - rows && k >= 1; --k) append_fast_row(text, maker, k, d);
    });
    for (const std::string& text : pieces) results_file_write(file, text);
  }
  if (!results_file_commit(file)) ErrorReporter("CDM_save_results", "File I/O error");
}
