#include "formats/cdm_file.h"

#include <cstring>

#include "common/constants.h"
#include "common/number_format.h"
#include "grid/grid_labels.h"
#include "grid/state_axes.h"
#include "platform/results_file.h"

// A line is 24 characters: both axes (13), Phi (3), then the fitness.
constexpr std::size_t AXES_LENGTH = 13;
constexpr std::size_t START_LENGTH = 16;
constexpr std::size_t LINE_LENGTH = 24;

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
  append_int(out, phi_tenths(point.stress_ratio), 3);
}

std::string CDM_results_line(const GridPoint& point, int32_t fitness) {
  std::string line = axes_text(point);
  append_phi(line, point);
  append_int(line, fitness, 8);
  return line;
}

// The lines are laid out in a buffer of whole lines, handed over in pieces.
constexpr std::size_t LINES_PER_PIECE = 2400;

// "00" to "99", so that a field takes one division per two digits.
static const char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// A field of spaces with the digits of a non-negative value at its right,
// as write_int_field lays it out; any other value is left to that.
static void write_count_field(char* field, long value, int width) {
  static const long LARGEST[] = {0, 9, 99, 999, 9999, 99999, 999999, 9999999, 99999999};
  if (width < 1 || width > 8 || value < 0 || value > LARGEST[width])
    return write_int_field(field, value, width);
  std::memset(field, ' ', static_cast<std::size_t>(width));
  char* at = field + width;
  while (value >= 10) {
    const long pair = value % 100;
    value /= 100;
    *--at = DIGIT_PAIRS[2 * pair + 1];
    *--at = DIGIT_PAIRS[2 * pair];
  }
  // A last pair was at least 10, so a digit is left over unless it is 0;
  // the value 0 itself is one digit.
  if (value > 0 || at == field + width) *--at = static_cast<char>('0' + value);
}

static ErrorReport write_failure() { return {"CDM_save_results", "File I/O error", {}, ""}; }

static StageResult save_reference(const std::string& path, const Gss& gss,
                                  const std::vector<int32_t>& order, const GridValues& fitness,
                                  int32_t lowest) {
  ResultsFile file;
  if (!results_file_open(file, path)) return write_failure();
  std::string piece;
  for (int32_t k : order) {
    const std::size_t index = static_cast<std::size_t>(k);
    piece += CDM_results_line(gss.points[index], fitness[index] - lowest);
    piece += '\n';
    if (piece.size() >= LINES_PER_PIECE * (LINE_LENGTH + 1)) {
      results_file_write(file, piece);
      piece.clear();
    }
  }
  results_file_write(file, piece);
  if (!results_file_commit(file)) return write_failure();
  return std::nullopt;
}

// The axes text of every run of the grid's labels.
static std::vector<char> run_texts(const GridLabels& labels) {
  std::vector<char> texts(labels.runs.size() * AXES_LENGTH);
  for (std::size_t r = 0; r < labels.runs.size(); ++r) {
    char* text = texts.data() + r * AXES_LENGTH;
    const RunAxes& axes = labels.runs[r];
    write_int_field(text, axes.sigma1_azimuth, 3);
    write_int_field(text + 3, axes.sigma1_plunge, 3);
    write_int_field(text + 6, axes.sigma3_azimuth, 4);
    write_int_field(text + 10, axes.sigma3_plunge, 3);
  }
  return texts;
}

StageResult CDM_save_results(const std::string& path, const Gss& gss,
                             const std::vector<int32_t>& order, const GridValues& fitness,
                             int32_t lowest, const RunSettings& settings) {
  if (settings.reference) return save_reference(path, gss, order, fitness, lowest);
  const GridLabels labels = label_grid(gss);
  if (!labels.complete) return save_reference(path, gss, order, fitness, lowest);
  ResultsFile file;
  if (!results_file_open(file, path)) return write_failure();
  const std::vector<char> texts = run_texts(labels);
  std::string piece(LINES_PER_PIECE * (LINE_LENGTH + 1), ' ');
  std::size_t used = 0;
  for (int32_t k : order) {
    const std::size_t index = static_cast<std::size_t>(k);
    const PointLabel label = labels.points[index];
    char* line = piece.data() + used;
    std::memcpy(line, texts.data() + label.run * AXES_LENGTH, AXES_LENGTH);
    write_count_field(line + AXES_LENGTH, label.phi_tenths, 3);
    write_count_field(line + START_LENGTH, fitness[index] - lowest, 8);
    line[LINE_LENGTH] = '\n';
    used += LINE_LENGTH + 1;
    if (used == piece.size()) {
      results_file_write(file, piece);
      used = 0;
    }
  }
  piece.resize(used);
  results_file_write(file, piece);
  if (!results_file_commit(file)) return write_failure();
  return std::nullopt;
}

// ---- reading ----------------------------------------------------------

bool parse_cdm_state(const std::string& line, CdmState& state) {
  static const size_t starts[6] = {0, 3, 6, 10, 13, START_LENGTH};
  static const size_t widths[6] = {3, 3, 4, 3, 3, LINE_LENGTH - START_LENGTH};
  static const long lows[6] = {0, 0, 0, 0, 0, 0};
  static const long highs[6] = {360, 90, 360, 90, 10, 1000000000L};
  if (line.size() != LINE_LENGTH) return false;
  long values[6];
  for (int i = 0; i < 6; ++i) {
    if (!parse_int_field(line, starts[i], widths[i], values[i]) || values[i] < lows[i] ||
        values[i] > highs[i])
      return false;
  }
  state.sigma1 = WholeDegreeAxis{int(values[0]), int(values[1])};
  state.sigma3 = WholeDegreeAxis{int(values[2]), int(values[3])};
  state.phi_tenths = int(values[4]);
  state.fitness = values[5];
  state.axes_text = line.substr(0, START_LENGTH);
  return true;
}

static std::string line_error(size_t index, const char* what) {
  return "CDM results file: line " + std::to_string(index + 1) + " " + what;
}

bool read_cdm_lines(const std::vector<std::string>& lines, std::vector<CdmState>& states,
                    std::string& error) {
  states.reserve(GSS_SIZE);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == size_t(GSS_SIZE)) {
      error = "CDM results file: more than 59400 lines";
      return false;
    }
    CdmState state;
    if (!parse_cdm_state(lines[i], state)) {
      error = line_error(i, "is not a line of 6 numbers in 24 columns");
      return false;
    }
    if (!states.empty() && state.fitness < states.back().fitness) {
      error = line_error(i, "breaks the ascending order of fitness");
      return false;
    }
    states.push_back(state);
  }
  if (states.size() != size_t(GSS_SIZE)) {
    error = "CDM results file: " + std::to_string(states.size()) + " lines, 59400 expected";
    return false;
  }
  return true;
}
