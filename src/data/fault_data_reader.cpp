#include "data/fault_data_reader.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/free_format.h"
#include "shell/error_reporter.h"

namespace {

const char* const VALID_SENSES = "NRSDnrsd";

enum class DatumStatus { ok, invalid, bad_sense };

// Reads the five values of one datum. A value left unset by a slash or by
// two commas in a row makes the datum invalid: nothing is carried over.
DatumStatus read_datum(LineSource& source, FaultDatum& datum) {
  static const std::vector<ValueKind> kinds = {ValueKind::real, ValueKind::real, ValueKind::real,
                                               ValueKind::real, ValueKind::text};
  std::vector<FreeFormValue> values;
  if (read_free_form(source, kinds, values) != ReadStatus::ok) return DatumStatus::invalid;
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

bool fail(std::FILE* stream, DataFileError& error, const char* message, int32_t line) {
  if (stream != nullptr) std::fclose(stream);
  error.message = message;
  error.line = line;
  return false;
}

// First pass: checks every datum and counts them.
bool count_data(std::FILE* stream, StreamLineSource& source, int32_t& count,
                DataFileError& error) {
  count = 0;
  FaultDatum scratch;
  while (!source.at_end()) {
    DatumStatus status = read_datum(source, scratch);
    if (status == DatumStatus::invalid || std::ferror(stream))
      return fail(stream, error, "Invalid data at line number", count + 1);
    if (status == DatumStatus::bad_sense)
      return fail(stream, error, "Invalid sense in the line number", count + 1);
    if (count == MAX_FAULT_COUNT)
      return fail(stream, error, "Too many data (at most 32767)", MAX_FAULT_COUNT + 1);
    ++count;
  }
  return true;
}

// Second pass: stores the data that the first pass counted.
bool store_data(std::FILE* stream, StreamLineSource& source, FaultSet& set,
                DataFileError& error) {
  for (int32_t i = 1; i <= set.count; ++i) {
    if (read_datum(source, set.data[i - 1]) == DatumStatus::invalid || std::ferror(stream))
      return fail(stream, error, "Invalid data at the line number", i);
  }
  return true;
}

void clear_set(FaultSet& set) {
  std::free(set.data);
  set.data = nullptr;
  set.count = 0;
}

}  // namespace

bool load_fault_data(const std::string& path, FaultSet& set, DataFileError& error) {
  clear_set(set);
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  struct stat info;
  // A folder opens for reading here but holds no data: it is no data file.
  if (stream != nullptr && (fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode))) {
    std::fclose(stream);
    stream = nullptr;
  }
  if (stream == nullptr) return fail(nullptr, error, "Data file not found", 0);
  StreamLineSource source(stream, true);
  int32_t count = 0;
  if (!count_data(stream, source, count, error)) return false;
  if (count > 0) {
    set.data = static_cast<FaultDatum*>(std::calloc(static_cast<size_t>(count), sizeof(FaultDatum)));
    if (set.data == nullptr) return fail(stream, error, "Memory allocation error", 0);
  }
  set.count = static_cast<int16_t>(count);
  source.rewind();
  if (!store_data(stream, source, set, error)) {
    clear_set(set);
    return false;
  }
  std::fclose(stream);
  return true;
}

void read_data_file() {
  DataFileError error;
  if (load_fault_data(file_names.data_file, faults, error)) return;
  if (error.line > 0)
    ErrorReporter("read_data_file", error.message, error.line);
  else
    ErrorReporter("read_data_file", error.message);
}
