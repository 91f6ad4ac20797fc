#include "formats/cim_file.h"

#include "common/number_format.h"
#include "common/threads.h"
#include "fitness/fill_reference.h"
#include "fitness/pair_kernels.h"
#include "fitness/step_table.h"
#include "grid/grid_labels.h"
#include "grid/state_axes.h"
#include "platform/results_file.h"

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

static void append_misfit_angles(std::string& out, const FaultSet& faults,
                                 const GridPoint& point) {
  for (const FaultDatum& datum : faults.data)
    append_misfit_degrees(out, misfit_degrees(point.stress_tensor, datum));
}

// The 26 columns of a row before the misfits.
static void append_row_start(std::string& out, const CimRows& rows, int32_t k) {
  const GridPoint& point = rows.tables.gss.points[static_cast<std::size_t>(k)];
  GridPointAxes axes = axes_of_gridpoint(point);
  Orientation s1 = downward_axis(axes.sigma1);
  Orientation s3 = downward_axis(axes.sigma3);
  append_int(out, rows.fitness[static_cast<std::size_t>(k)], 8);
  append_int(out, whole_degrees(s1.azimuth), 4);
  append_int(out, whole_degrees(s1.plunge), 3);
  append_int(out, whole_degrees(s3.azimuth), 4);
  append_int(out, whole_degrees(s3.plunge), 3);
  append_fixed(out, point.stress_ratio, 4, 1);
}

void CIM_append_row(std::string& out, const CimRows& rows, int32_t k) {
  append_row_start(out, rows, k);
  append_misfit_angles(out, rows.tables.faults,
                       rows.tables.gss.points[static_cast<std::size_t>(k)]);
}

// The CDM writer reports the same failure under its own name, and so does
// this one: both files are opened the same way.
static ErrorReport write_failure() { return ErrorReport{"CDM_save_results", "File I/O error", {}, ""}; }

StageResult CIM_save_results_reference(const std::string& path, const RunTables& tables,
                                       const std::vector<int32_t>& order,
                                       const GridValues& fitness) {
  ResultsFile file;
  if (!results_file_open(file, path)) return write_failure();
  const CimRows rows = {tables, order, fitness};
  std::string chunk = CIM_HEADER;
  chunk += '\n';
  chunk.reserve(2 * CHUNK_BYTES + 26 + 4 * static_cast<size_t>(tables.faults.count));
  // Every row ends with its line end, the last one too, as text tools
  // that read line by line expect; no empty line follows.
  for (std::size_t p = order.size(); p-- > 0;) {
    CIM_append_row(chunk, rows, order[p]);
    chunk += '\n';
    if (chunk.size() >= CHUNK_BYTES) {
      results_file_write(file, chunk);
      chunk.clear();
    }
  }
  results_file_write(file, chunk);
  if (!results_file_commit(file)) return write_failure();
  return std::nullopt;
}

// The fast writer: the misfits of a row from the dot products of many
// pairs at once and a table from the dot product to whole degrees, blocks
// of rows formed on every thread and written in order.

static long degrees_of_dot(float d, const void*) { return degrees_of_cosine(d); }

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

// The 18 columns of a row after the fitness, as append_row_start lays them
// out, for every GridPoint: the axes worked out once for each run of
// points with the same angles (grid_labels.h), Phi once for each stress
// ratio.
constexpr std::size_t ROW_REST = 18;

static std::vector<char> rests_of_rows(const Gss& gss, const GridLabels& labels) {
  std::vector<std::string> axes(labels.runs.size());
  for (std::size_t r = 0; r < labels.runs.size(); ++r) {
    const RunAxes& a = labels.runs[r];
    append_int(axes[r], a.sigma1_azimuth, 4);
    append_int(axes[r], a.sigma1_plunge, 3);
    append_int(axes[r], a.sigma3_azimuth, 4);
    append_int(axes[r], a.sigma3_plunge, 3);
  }
  struct RatioText {
    uint32_t bits;
    std::string text;
  };
  std::vector<RatioText> ratios;
  std::vector<char> rests(gss.points.size() * ROW_REST);
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const float ratio = gss.points[k].stress_ratio;
    uint32_t bits;
    std::memcpy(&bits, &ratio, sizeof bits);
    std::size_t known = 0;
    while (known < ratios.size() && ratios[known].bits != bits) ++known;
    if (known == ratios.size()) {
      ratios.push_back(RatioText{bits, ""});
      append_fixed(ratios.back().text, ratio, 4, 1);
    }
    const std::string& axes_text = axes[labels.points[k].run];
    const std::string& phi_text = ratios[known].text;
    if (axes_text.size() + phi_text.size() != ROW_REST) return {};  // an overflowing field
    std::memcpy(rests.data() + k * ROW_REST, axes_text.data(), axes_text.size());
    std::memcpy(rests.data() + k * ROW_REST + axes_text.size(), phi_text.data(), phi_text.size());
  }
  return rests;
}

struct RowMaker {
  CimRows rows;
  DataComponents data;
  StepTable degrees;
  MisfitFields fields;
  int32_t n;
  std::vector<char> rests;  // empty: each row's start from append_row_start
};

static void append_fast_row(std::string& out, const RowMaker& maker, int32_t k,
                            std::vector<float>& d) {
  if (maker.rests.empty()) {
    append_row_start(out, maker.rows, k);
  } else {
    append_int(out, maker.rows.fitness[static_cast<std::size_t>(k)], 8);
    out.append(maker.rests.data() + static_cast<std::size_t>(k) * ROW_REST, ROW_REST);
  }
  const GridPoint& point = maker.rows.tables.gss.points[static_cast<std::size_t>(k)];
  if (maker.n > 0) dots_over_data(point.stress_tensor, maker.data, 0, maker.n, d.data());
  // The row's fields laid down in place, four characters each; a misfit
  // outside 0 to 180 (a dot product that is not a number) is laid out
  // after them from the reference.
  const std::size_t start = out.size();
  out.resize(start + 4 * static_cast<std::size_t>(maker.n));
  char* field = out.data() + start;
  bool all_fit = true;
  for (int32_t j = 0; j < maker.n; ++j, field += 4) {
    const long degrees = step_value(maker.degrees, d[static_cast<std::size_t>(j)]);
    const bool fits = degrees >= 0 && degrees <= 180;
    std::memcpy(field, maker.fields.text[fits ? degrees : 0], 4);
    all_fit = all_fit && fits;
  }
  if (!all_fit) {
    out.resize(start);
    for (int32_t j = 0; j < maker.n; ++j)
      append_misfit_degrees(out, step_value(maker.degrees, d[static_cast<std::size_t>(j)]));
  }
  out += '\n';
}

// Rows per piece of work: about a megabyte of text.
static int32_t rows_per_piece(int32_t n) {
  int32_t row = 27 + 4 * n;
  int32_t rows = (1 << 20) / row;
  return rows < 1 ? 1 : rows;
}

StageResult CIM_save_results(const std::string& path, const RunTables& tables,
                             const std::vector<int32_t>& order, const GridValues& fitness,
                             const RunSettings& settings) {
  if (settings.reference) return CIM_save_results_reference(path, tables, order, fitness);
  ResultsFile file;
  if (!results_file_open(file, path)) return write_failure();
  const int32_t n = tables.faults.count > 0 ? tables.faults.count : 0;
  const GridLabels labels = label_grid(tables.gss);
  RowMaker maker{CimRows{tables, order, fitness}, data_components(tables.faults.data.data(), n),
                 build_step_table(degrees_of_dot, nullptr), misfit_fields(), n,
                 labels.complete ? rests_of_rows(tables.gss, labels) : std::vector<char>()};
  results_file_write(file, std::string(CIM_HEADER) + "\n");
  const int threads = settings.threads;
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
      for (int32_t p = first; p > first - rows && p >= 1; --p)
        append_fast_row(text, maker, order[static_cast<std::size_t>(p - 1)], d);
    });
    for (const std::string& text : pieces) results_file_write(file, text);
  }
  if (!results_file_commit(file)) return write_failure();
  return std::nullopt;
}
