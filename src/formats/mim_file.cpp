#include "formats/mim_file.h"

#include "common/constants.h"
#include "common/number_format.h"
#include "fitness/weight_functions.h"

// The widths of the fields: the count of data, a datum line, the grid-size
// line, the count of voted states, a voted state's index and votes.
static const int COUNT_WIDTH = 7;
static const std::size_t DATUM_LENGTH = 23;
static const int GRID_SIZE_WIDTH = 12, RATIO_COUNT_WIDTH = 5;
static const int VOTED_COUNT_WIDTH = 12;
static const int INDEX_WIDTH = 9, VOTES_WIDTH = 9;
// The labels of the description's lines; the end of the job has the
// start's label (see job_time_line).
static const char DATA_LABEL[] = "Data = ";
static const char K_LABEL[] = " k = ";
static const char FUNCTION_LABEL[] = "Function = ";
static const char JOB_LABEL[] = "Job Start = ";

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
  append_int(chunk, faults.count, COUNT_WIDTH);
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
  append_int(text, GSS_SIZE, GRID_SIZE_WIDTH);
  append_int(text, GSS_RATIO_COUNT, RATIO_COUNT_WIDTH);
  text += '\n';
  append_int(text, voted_gridpoint_count(votes), VOTED_COUNT_WIDTH);
  text += '\n';
  results_file_write(file, text);
}

void write_voted_gridpoints(ResultsFile& file, const GridValues& votes) {
  std::string chunk;
  for (int32_t i = 1; i <= static_cast<int32_t>(votes.size()); ++i) {
    const int32_t count = votes[static_cast<std::size_t>(i - 1)];
    if (count == 0) continue;
    append_int(chunk, i, INDEX_WIDTH);
    append_int(chunk, count, VOTES_WIDTH);
    chunk += '\n';
    write_when_full(file, chunk);
  }
  results_file_write(file, chunk);
}

std::string job_time_line(const std::string& date, const std::string& time) {
  // Both the start and the end line carry this label: files of this
  // layout are read by other programs that expect it.
  return JOB_LABEL + date.substr(0, 4) + "/" + date.substr(4, 2) + "/" + date.substr(6, 2) +
         " " + time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 6);
}

static void write_description(ResultsFile& file, const MimDescription& run) {
  std::string text = DATA_LABEL + without_trailing_blanks(run.data_file) + "\n" + K_LABEL;
  append_int(text, run.k, 2);
  text += "\n";
  text += FUNCTION_LABEL;
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

// ---- reading ----------------------------------------------------------

static bool in_range(long value, long low, long high) { return value >= low && value <= high; }

static bool starts_with(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

static std::string line_error(std::size_t index, const char* what) {
  return "MIM results file: line " + std::to_string(index + 1) + " " + what;
}

// The voted stress states between the grid-size line and the description.
static bool read_votes(const std::vector<std::string>& lines, std::size_t& at,
                       MimFileContents& contents, std::string& error) {
  long size = 0, ratios = 0, voted = 0;
  if (at >= lines.size() || lines[at].size() != GRID_SIZE_WIDTH + RATIO_COUNT_WIDTH ||
      !parse_int_field(lines[at], 0, GRID_SIZE_WIDTH, size) ||
      !parse_int_field(lines[at], GRID_SIZE_WIDTH, RATIO_COUNT_WIDTH, ratios) ||
      size != GSS_SIZE || ratios != GSS_RATIO_COUNT) {
    error = line_error(at, "should give the grid size 59400 and 11");
    return false;
  }
  ++at;
  if (at >= lines.size() || lines[at].size() != VOTED_COUNT_WIDTH ||
      !parse_int_field(lines[at], 0, VOTED_COUNT_WIDTH, voted) || !in_range(voted, 0, GSS_SIZE)) {
    error = line_error(at, "should give the number of voted stress states");
    return false;
  }
  ++at;
  std::vector<MimVote>& votes = contents.votes;
  for (long v = 0; v < voted; ++v, ++at) {
    long index = 0, count = 0;
    if (at >= lines.size() || lines[at].size() != INDEX_WIDTH + VOTES_WIDTH ||
        !parse_int_field(lines[at], 0, INDEX_WIDTH, index) ||
        !parse_int_field(lines[at], INDEX_WIDTH, VOTES_WIDTH, count) ||
        !in_range(index, 1, GSS_SIZE) || count < 1 ||
        (!votes.empty() && index <= votes.back().index)) {
      error = line_error(at, "is not a voted stress state (index, votes)");
      return false;
    }
    votes.push_back(MimVote{int32_t(index), count});
  }
  return true;
}

// The description: data file, k, weight function, start and end of the job.
static bool read_description(const std::vector<std::string>& lines, std::size_t at,
                             MimFileContents& contents, std::string& error) {
  static const char* const labels[] = {DATA_LABEL, K_LABEL, FUNCTION_LABEL, JOB_LABEL, JOB_LABEL};
  for (std::size_t i = 0; i < 5; ++i) {
    if (at + i >= lines.size() || !starts_with(lines[at + i], labels[i])) {
      error = line_error(at + i, "should begin with \"") + labels[i] + "\"";
      return false;
    }
  }
  contents.data_name = lines[at].substr(sizeof DATA_LABEL - 1);
  contents.k_text = lines[at + 1].substr(sizeof K_LABEL - 1);
  contents.function_name = lines[at + 2].substr(sizeof FUNCTION_LABEL - 1);
  return true;
}

bool looks_like_mim_file(const std::vector<std::string>& lines) {
  long count = 0;
  return !lines.empty() && lines[0].size() == COUNT_WIDTH &&
         parse_int_field(lines[0], 0, COUNT_WIDTH, count) && in_range(count, 0, MAX_FAULT_COUNT);
}

bool read_mim_lines(const std::vector<std::string>& lines, MimFileContents& contents,
                    std::string& error) {
  contents = MimFileContents();
  parse_int_field(lines[0], 0, COUNT_WIDTH, contents.fault_count);
  std::size_t at = 1;
  for (long i = 0; i < contents.fault_count; ++i, ++at) {
    if (at >= lines.size() || lines[at].size() != DATUM_LENGTH) {
      error = line_error(at, "is not a datum line of 23 characters");
      return false;
    }
  }
  return read_votes(lines, at, contents, error) && read_description(lines, at, contents, error);
}
