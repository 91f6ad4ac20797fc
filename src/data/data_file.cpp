#include "data/data_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "data/data_checks.h"
#include "platform/file_system.h"
#include "platform/results_file.h"

namespace {

const char* const VALID_SENSES = "NRSDnrsd";
const char* const ROUTINE = "read_data_file";

enum class DatumStatus { ok, invalid, unset, ended, bad_sense };

// Reads the five values of one datum. A value left unset by a slash or by
// two commas in a row makes the datum invalid: nothing is carried over.
DatumStatus read_datum(LineSource& source, FaultDatum& datum, std::string& sense) {
  std::vector<FreeFormValue> values;
  ReadStatus status = read_free_form(
      source,
      {ValueKind::real, ValueKind::real, ValueKind::real, ValueKind::real, ValueKind::text},
      values);
  if (status == ReadStatus::end_of_input) return DatumStatus::ended;
  if (status != ReadStatus::ok) return DatumStatus::invalid;
  for (const FreeFormValue& value : values) {
    if (!value.set) return DatumStatus::unset;
  }
  datum = FaultDatum();
  datum.dip_direction = values[0].real;
  datum.dip_angle = values[1].real;
  datum.slip_azimuth = values[2].real;
  datum.slip_plunge = values[3].real;
  sense = values[4].text;
  datum.sense = sense.empty() ? ' ' : sense[0];
  // strchr finds the terminating NUL too, so a NUL letter is refused first.
  if (sense.empty() || sense[0] == '\0' || std::strchr(VALID_SENSES, sense[0]) == nullptr)
    return DatumStatus::bad_sense;
  return DatumStatus::ok;
}

ErrorReport data_error(const char* message, int32_t ordinal) {
  return ErrorReport{ROUTINE, message, ordinal > 0 ? std::optional<int32_t>(ordinal) : std::nullopt,
                     ""};
}

bool is_blank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

// Counts the lines a reader takes from a source, and keeps the first
// lines that the datum being read took, for the messages.
class CountingLineSource : public LineSource {
 public:
  explicit CountingLineSource(LineSource& source) : source_(source) {}
  bool next_line(std::string& line) override {
    if (!source_.next_line(line)) return false;
    ++count_;
    if (first_taken_ == 0) first_taken_ = count_, first_taken_text_ = line;
    if (first_value_ == 0 && !is_blank(line)) first_value_ = count_, first_value_text_ = line;
    return true;
  }
  bool at_end() override { return source_.at_end(); }
  bool failed() override { return source_.failed(); }
  int32_t count() const { return count_; }
  void start_datum() { first_taken_ = first_value_ = 0; }
  int32_t first_taken() const { return first_taken_; }
  int32_t first_value() const { return first_value_; }
  const std::string& first_taken_text() const { return first_taken_text_; }
  const std::string& first_value_text() const { return first_value_text_; }

 private:
  LineSource& source_;
  int32_t count_ = 0;
  int32_t first_taken_ = 0;  // the first line taken for the datum, 0: none yet
  int32_t first_value_ = 0;  // the first line of it that is not blank, 0: none yet
  std::string first_taken_text_, first_value_text_;
};

std::string line_text(int32_t line) { return "file line " + std::to_string(line); }

std::string lines_text(int32_t first, int32_t last) {
  if (first >= last) return line_text(first);
  return "file lines " + std::to_string(first) + " to " + std::to_string(last);
}

// The cause of a datum that cannot be read, where the lines say more
// than the status: lines without a datum, a comment, UTF-16 text.
std::string cause_in_lines(const CountingLineSource& source, int32_t ordinal) {
  if (source.first_value() == 0 && source.first_taken() > 0) {
    int32_t line = source.first_taken();
    std::string what = source.first_taken_text().empty() ? " is empty" : " holds only blanks";
    if (ordinal == 1) return line_text(line) + what + " and no datum follows it";
    return line_text(line) + what + ": the data file allows no " +
           (source.first_taken_text().empty() ? "empty line" : "line of blanks") +
           " after the last datum";
  }
  const std::string& text = source.first_value_text();
  std::size_t start = text.find_first_not_of(" \t");
  if (source.first_value() > 0 && text[start] == '#')
    return line_text(source.first_value()) + " is a comment line: the data file allows no comments";
  if (source.first_value() == 1 &&
      (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0))
    return line_text(1) + ": UTF-16 text: save it as UTF-8";
  return "";
}

std::string status_cause(DatumStatus status, const std::string& sense) {
  switch (status) {
    case DatumStatus::ended: return "the file ends before its fifth value";
    case DatumStatus::unset: return "a value is left unset (a slash, or two commas in a row)";
    case DatumStatus::bad_sense: return sense_word_problem(sense);
    default: return "a value is not a number where a number is due";
  }
}

// The detail of a report: the datum's file lines and what is wrong.
std::string failure_detail(const CountingLineSource& source, int32_t ordinal, DatumStatus status,
                           const std::string& sense) {
  std::string cause = cause_in_lines(source, ordinal);
  if (!cause.empty()) return cause;
  int32_t first = source.first_value() > 0 ? source.first_value() : source.count();
  return "datum " + std::to_string(ordinal) + " (" + lines_text(first, source.count()) +
         "): " + status_cause(status, sense);
}

ErrorReport datum_error(const char* message, int32_t ordinal, const CountingLineSource& source,
                        DatumStatus status, const std::string& sense) {
  ErrorReport report = data_error(message, ordinal);
  report.detail = failure_detail(source, ordinal, status, sense);
  return report;
}

StageResult read_all(CountingLineSource& source, FaultSet& set, std::vector<DatumSource>& sources) {
  int32_t count = 0;
  FaultDatum datum;
  std::string sense;
  while (!source.at_end()) {
    source.start_datum();
    DatumStatus status = read_datum(source, datum, sense);
    if (source.failed()) return data_error("Invalid data at line number", count + 1);
    if (status == DatumStatus::bad_sense)
      return datum_error("Invalid sense in the line number", count + 1, source, status, sense);
    if (status != DatumStatus::ok)
      return datum_error("Invalid data at line number", count + 1, source, status, sense);
    if (count == MAX_FAULT_COUNT) {
      ErrorReport report = data_error("Too many data (at most 32767)", count + 1);
      report.detail = "datum 32768 (" + line_text(source.first_value()) + "): one too many";
      return report;
    }
    set.data.push_back(datum);
    sources.push_back(DatumSource{source.first_value(), source.count(), sense});
    ++count;
  }
  set.count = static_cast<int16_t>(count);
  return std::nullopt;
}

}  // namespace

StageResult read_fault_data(LineSource& source, FaultSet& set, std::vector<DatumSource>& sources) {
  set = FaultSet();
  sources.clear();
  CountingLineSource counted(source);
  StageResult error;
  try {
    error = read_all(counted, set, sources);
  } catch (const std::bad_alloc&) {
    error = data_error("Memory allocation error", 0);
  }
  if (error) set = FaultSet(), sources.clear();
  return error;
}

StageResult read_fault_data(LineSource& source, FaultSet& set, std::vector<int32_t>* end_lines) {
  std::vector<DatumSource> sources;
  StageResult error = read_fault_data(source, set, sources);
  if (end_lines != nullptr) {
    end_lines->clear();
    for (const DatumSource& datum : sources) end_lines->push_back(datum.last_line);
  }
  return error;
}

StageResult read_data_file(const std::string& path, FaultSet& set,
                           std::vector<DatumSource>& sources) {
  set = FaultSet();
  sources.clear();
  // A folder opens for reading on some systems but holds no data.
  std::FILE* stream = is_folder(path) ? nullptr : std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return data_error("Data file not found", 0);
  StreamLineSource source(stream, true);
  StageResult error = read_fault_data(source, set, sources);
  std::fclose(stream);
  return error;
}

StageResult read_data_file(const std::string& path, FaultSet& set) {
  std::vector<DatumSource> sources;
  return read_data_file(path, set, sources);
}

// ---- writing ----------------------------------------------------------

// Rounded to one decimal as the line will show it; + 0.0 turns -0 into 0.
static double tenths(double value) { return std::round(value * 10.0) / 10.0 + 0.0; }

static double azimuth_tenths(double azimuth) {
  double a = tenths(azimuth);
  return a >= 360.0 ? a - 360.0 : a;
}

std::string fdt_line(const ImportedDatum& d) {
  char text[64];
  std::snprintf(text, sizeof text, "%5.1f %4.1f %5.1f %4.1f %c\n", azimuth_tenths(d.dip_direction),
                tenths(d.dip), azimuth_tenths(d.trend), tenths(d.plunge), d.sense);
  return text;
}

WriteStatus write_fdt_file(const std::string& path, const std::vector<ImportedDatum>& data,
                           bool overwrite) {
  if (!overwrite && path_exists(path)) return WriteStatus::exists;
  ResultsFile file;
  if (!results_file_open(file, path)) return WriteStatus::failed;
  for (const ImportedDatum& datum : data) results_file_write(file, fdt_line(datum));
  return results_file_commit(file) ? WriteStatus::written : WriteStatus::failed;
}
