#include "analyses/mim/mim_results.h"

#include "common/number_format.h"
#include "common/state.h"
#include "fitness/weight_functions.h"
#include "shell/error_reporter.h"

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

static void write_data(ResultsFile& file) {
  std::string chunk;
  append_int(chunk, faults.count, 7);
  chunk += '\n';
  for (int32_t j = 0; j < faults.count; ++j) {
    append_datum_line(chunk, faults.data[j]);
    write_when_full(file, chunk);
  }
  results_file_write(file, chunk);
}

static int32_t voted_gridpoint_count() {
  int32_t voted = 0;
  for (int32_t i = 0; i < GSS_SIZE; ++i) voted += gss[i].fitness != 0;
  return voted;
}

static void write_grid_size(ResultsFile& file) {
  std::string text;
  append_int(text, GSS_SIZE, 12);
  append_int(text, GSS_RATIO_COUNT, 5);
  text += '\n';
  append_int(text, voted_gridpoint_count(), 12);
  text += '\n';
  results_file_write(file, text);
}

void write_voted_gridpoints(ResultsFile& file) {
  std::string chunk;
  for (int32_t i = 1; i <= GSS_SIZE; ++i) {
    if (gss[i - 1].fitness == 0) continue;
    append_int(chunk, i, 9);
    append_int(chunk, gss[i - 1].fitness, 9);
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

static void write_description(ResultsFile& file, const std::string& data_file_name, int8_t k,
                              const std::string& start_date, const std::string& start_time,
                              const std::string& end_date, const std::string& end_time) {
  std::string text = "Data = " + without_trailing_blanks(data_file_name) + "\n k = ";
  append_int(text, k, 2);
  text += "\nFunction = ";
  text += without_trailing_blanks(weight_function_of(weightfunc_id).name);
  text += "\n" + job_time_line(start_date, start_time) + "\n";
  text += job_time_line(end_date, end_time) + "\n";
  results_file_write(file, text);
}

void MIM_save_results(const std::string& data_file_name, int8_t k, const std::string& start_date,
                      const std::string& start_time, const std::string& end_date,
                      const std::string& end_time) {
  ResultsFile file;
  if (!results_file_open(file, file_names.results_file))
    ErrorReporter("MIM_save_results", "File I/O error");
  write_data(file);
  write_grid_size(file);
  write_voted_gridpoints(file);
  write_description(file, data_file_name, k, start_date, start_time, end_date, end_time);
  if (!results_file_commit(file)) ErrorReporter("MIM_save_results", "File I/O error");
}
