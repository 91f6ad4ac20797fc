#include "formats/mim_file.h"

#include "common/number_format.h"
#include "fitness/weight_functions.h"

// The text is handed to the file in chunks of about this size.
static const std::size_t CHUNK_BYTES = 65536;

static void write_when_full(ResultsFile& file, std::string& chunk) {
  if (chunk.size() < CHUNK_BYTES) return;
  results_file_write(file, chunk);
  chunk.clear();
}

static std::string without_trailing_blanks(const std::string& text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

static void append_datum_line(std::string& out, const FaultDatum& datum) {
  append_fixed(out, datum.dip_direction, 5, 1);
  append_fixed(out, datum.dip_angle, 5, 1);
  append_fixed(out, datum.slip_azimuth, 6, 1);
  append_fixed(out, datum.slip_plunge, 5, 1);
  out += ' ';
  out += datum.sense;
  out += '\n';
}

static void write_data(ResultsFile& file, const FaultSet& faults) {
  std::string chunk;
  append_int(chunk, faults.count, 7);
  chunk += '\n';
  for (const FaultDatum& datum : faults.data) {
    append_datum_line(chunk, datum);
    write_when_full(file, chunk);
  }
  results_file_write(file, chunk);
}

static int32_t voted_gridpoint_count(const GridValues& votes) {
  int32_t voted = 0;
  for (int32_t count : votes) voted += count != 0;
  return voted;
}

static void write_grid_size(ResultsFile& file, const GridValues& votes) {
  std::string text;
  append_int(text, GSS_SIZE, 12);
  append_int(text, GSS_RATIO_COUNT, 5);
  text += '\n';
  append_int(text, voted_gridpoint_count(votes), 12);
  text += '\n';
  results_file_write(file, text);
}

void write_voted_gridpoints(ResultsFile& file, const GridValues& votes) {
  std::string chunk;
  for (int32_t i = 1; i <= static_cast<int32_t>(votes.size()); ++i) {
    const int32_t count = votes[static_cast<std::size_t>(i - 1)];
    if (count == 0) continue;
    append_int(chunk, i, 9);
    append_int(chunk, count, 9);
    chunk += '\n';
    write_when_full(file, chunk);
  }
  results_file_write(file, chunk);
}

std::string job_time_line(const std::string& date, const std::string& time) {
  // Both the start and the end line carry this label: files of this
  // layout are read by other programs that expect it.
  return "Job Start = " + date.substr(0, 4) + "/" + date.substr(4, 2) + "/" + date.substr(6, 2) +
         " " + time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 6);
}

static void write_description(ResultsFile& file, const MimDescription& run) {
  std::string text = "Data = " + without_trailing_blanks(run.data_file) + "\n k = ";
  append_int(text, run.k, 2);
  text += "\nFunction = ";
  text += without_trailing_blanks(weight_function_of(run.weight_id).name);
  text += "\n" + job_time_line(run.start.date, run.start.time) + "\n";
  text += job_time_line(run.end.date, run.end.time) + "\n";
  results_file_write(file, text);
}

StageResult MIM_save_results(const std::string& path, const FaultSet& faults,
                             const GridValues& votes, const MimDescription& description) {
  const ErrorReport failure = {"MIM_save_results", "File I/O error", {}, ""};
  ResultsFile file;
  if (!results_file_open(file, path)) return failure;
  write_data(file, faults);
  write_grid_size(file, votes);
  write_voted_gridpoints(file, votes);
  write_description(file, description);
  if (!results_file_commit(file)) return failure;
  return std::nullopt;
}
