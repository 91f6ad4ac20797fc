#include "data/data_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/file_system.h"
#include "platform/results_file.h"

namespace {

const char* const VALID_SENSES = "NRSDnrsd";
const char* const ROUTINE = "read_data_file";

enum class DatumStatus { ok, invalid, bad_sense };

// Reads the five values of one datum. A value left unset by a slash or by
// two commas in a row makes the datum invalid: nothing is carried over.
DatumStatus read_datum(LineSource& source, FaultDatum& datum) {
  std::vector<FreeFormValue> values;
  if (read_free_form(source,
                     {ValueKind::real, ValueKind::real, ValueKind::real, ValueKind::real,
                      ValueKind::text},
                     values) != ReadStatus::ok)
    return DatumStatus::invalid;
  for (const FreeFormValue& value : values) {
    if (!value.set) return DatumStatus::invalid;
  }
  datum = FaultDatum();
  datum.dip_direction = values[0].real;
  datum.dip_angle = values[1].real;
  datum.slip_azimuth = values[2].real;
  datum.slip_plunge = values[3].real;
  const std::string& sense = values[4].text;
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

// Counts the lines a reader takes from a source.
class CountingLineSource : public LineSource {
 public:
  explicit CountingLineSource(LineSource& source) : source_(source) {}
  bool next_line(std::string& line) override {
    if (!source_.next_line(line)) return false;
    ++count_;
    return true;
  }
  bool at_end() override { return source_.at_end(); }
  bool failed() override { return source_.failed(); }
  int32_t count() const { return count_; }

 private:
  LineSource& source_;
  int32_t count_ = 0;
};

StageResult read_all(CountingLineSource& source, FaultSet& set, std::vector<int32_t>* end_lines) {
  int32_t count = 0;
  FaultDatum datum;
  while (!source.at_end()) {
    DatumStatus status = read_datum(source, datum);
    if (status == DatumStatus::invalid || source.failed())
      return data_error("Invalid data at line number", count + 1);
    if (status == DatumStatus::bad_sense)
      return data_error("Invalid sense in the line number", count + 1);
    if (count == MAX_FAULT_COUNT) return data_error("Too many data (at most 32767)", count + 1);
    set.data.push_back(datum);
    if (end_lines != nullptr) end_lines->push_back(source.count());
    ++count;
  }
  set.count = static_cast<int16_t>(count);
  return std::nullopt;
}

}  // namespace

StageResult read_fault_data(LineSource& source, FaultSet& set, std::vector<int32_t>* end_lines) {
  set = FaultSet();
  if (end_lines != nullptr) end_lines->clear();
  CountingLineSource counted(source);
  StageResult error;
  try {
    error = read_all(counted, set, end_lines);
  } catch (const std::bad_alloc&) {
    error = data_error("Memory allocation error", 0);
  }
  if (error) set = FaultSet();
  return error;
}

StageResult read_data_file(const std::string& path, FaultSet& set) {
  set = FaultSet();
  // A folder opens for reading on some systems but holds no data.
  std::FILE* stream = is_folder(path) ? nullptr : std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return data_error("Data file not found", 0);
  StreamLineSource source(stream, true);
  StageResult error = read_fault_data(source, set);
  std::fclose(stream);
  return error;
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
