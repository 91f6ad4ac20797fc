#include "formats/results_reader.h"

#include <fstream>

#include "common/constants.h"
#include "platform/file_system.h"

namespace {

const size_t CDM_LINE_LENGTH = 24;
const size_t MIM_DATUM_LENGTH = 23;

// A right-aligned whole number filling columns [start, start + width):
// blanks, an optional minus sign, then at least one digit.
bool parse_field(const std::string& line, size_t start, size_t width, long& value) {
  if (start + width > line.size()) return false;
  size_t i = start, end = start + width;
  while (i < end && line[i] == ' ') ++i;
  bool negative = i < end && line[i] == '-';
  if (negative) ++i;
  if (i == end) return false;
  long number = 0;
  for (; i < end; ++i) {
    if (line[i] < '0' || line[i] > '9' || number > 100000000L) return false;
    number = number * 10 + (line[i] - '0');
  }
  value = negative ? -number : number;
  return true;
}

bool in_range(long value, long low, long high) { return value >= low && value <= high; }

bool starts_with(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

std::string line_error(const char* kind, size_t index, const char* what) {
  return std::string(kind) + " results file: line " + std::to_string(index + 1) + " " + what;
}

bool read_lines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in || is_folder(path)) {
    error = "Results file not found";
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (in.bad()) {
    error = "Results file cannot be read";
    return false;
  }
  return true;
}

bool read_cdm(const std::vector<std::string>& lines, PlotResults& results, std::string& error) {
  results.kind = ResultsKind::cdm;
  results.states.reserve(GSS_SIZE);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == size_t(GSS_SIZE)) {
      error = "CDM results file: more than 59400 lines";
      return false;
    }
    CdmState state;
    if (!parse_cdm_state(lines[i], state)) {
      error = line_error("CDM", i, "is not a line of 6 numbers in 24 columns");
      return false;
    }
    if (!results.states.empty() && state.fitness < results.states.back().fitness) {
      error = line_error("CDM", i, "breaks the ascending order of fitness");
      return false;
    }
    results.states.push_back(state);
  }
  if (results.states.size() != size_t(GSS_SIZE)) {
    error = "CDM results file: " + std::to_string(results.states.size()) +
            " lines, 59400 expected";
    return false;
  }
  return true;
}

// The voted stress states between the grid-size line and the description.
bool read_mim_votes(const std::vector<std::string>& lines, size_t& at, PlotResults& results,
                    std::string& error) {
  long size = 0, ratios = 0, voted = 0;
  if (at >= lines.size() || lines[at].size() != 17 || !parse_field(lines[at], 0, 12, size) ||
      !parse_field(lines[at], 12, 5, ratios) || size != GSS_SIZE || ratios != GSS_RATIO_COUNT) {
    error = line_error("MIM", at, "should give the grid size 59400 and 11");
    return false;
  }
  ++at;
  if (at >= lines.size() || lines[at].size() != 12 || !parse_field(lines[at], 0, 12, voted) ||
      !in_range(voted, 0, GSS_SIZE)) {
    error = line_error("MIM", at, "should give the number of voted stress states");
    return false;
  }
  ++at;
  for (long v = 0; v < voted; ++v, ++at) {
    long index = 0, votes = 0;
    if (at >= lines.size() || lines[at].size() != 18 || !parse_field(lines[at], 0, 9, index) ||
        !parse_field(lines[at], 9, 9, votes) || !in_range(index, 1, GSS_SIZE) || votes < 1 ||
        (!results.votes.empty() && index <= results.votes.back().index)) {
      error = line_error("MIM", at, "is not a voted stress state (index, votes)");
      return false;
    }
    results.votes.push_back(MimVote{int32_t(index), votes});
  }
  return true;
}

// The description: data file, k, weight function, start and end of the job.
bool read_mim_description(const std::vector<std::string>& lines, size_t at,
                          PlotResults& results, std::string& error) {
  static const char* const labels[] = {"Data = ", " k = ", "Function = ", "Job Start = ",
                                       "Job Start = "};
  for (int i = 0; i < 5; ++i) {
    if (at + i >= lines.size() || !starts_with(lines[at + i], labels[i])) {
      error = line_error("MIM", at + i, "should begin with \"") + labels[i] + "\"";
      return false;
    }
  }
  results.data_name = lines[at].substr(7);
  results.k_text = lines[at + 1].substr(5);
  results.function_name = lines[at + 2].substr(11);
  return true;
}

bool read_mim(const std::vector<std::string>& lines, PlotResults& results, std::string& error) {
  results.kind = ResultsKind::mim;
  parse_field(lines[0], 0, 7, results.fault_count);
  size_t at = 1;
  for (long i = 0; i < results.fault_count; ++i, ++at) {
    if (at >= lines.size() || lines[at].size() != MIM_DATUM_LENGTH) {
      error = line_error("MIM", at, "is not a datum line of 23 characters");
      return false;
    }
  }
  return read_mim_votes(lines, at, results, error) &&
         read_mim_description(lines, at, results, error);
}

bool looks_like_mim(const std::vector<std::string>& lines) {
  long count = 0;
  return lines[0].size() == 7 && parse_field(lines[0], 0, 7, count) &&
         in_range(count, 0, MAX_FAULT_COUNT);
}

}  // namespace

bool parse_cdm_state(const std::string& line, CdmState& state) {
  static const size_t starts[6] = {0, 3, 6, 10, 13, 16};
  static const size_t widths[6] = {3, 3, 4, 3, 3, 8};
  static const long lows[6] = {0, 0, 0, 0, 0, 0};
  static const long highs[6] = {360, 90, 360, 90, 10, 1000000000L};
  if (line.size() != CDM_LINE_LENGTH) return false;
  long values[6];
  for (int i = 0; i < 6; ++i) {
    if (!parse_field(line, starts[i], widths[i], values[i]) ||
        !in_range(values[i], lows[i], highs[i]))
      return false;
  }
  state.s1_azimuth = int(values[0]);
  state.s1_plunge = int(values[1]);
  state.s3_azimuth = int(values[2]);
  state.s3_plunge = int(values[3]);
  state.phi_tenths = int(values[4]);
  state.fitness = values[5];
  state.axes_text = line.substr(0, 16);
  return true;
}

bool read_results_file(const std::string& path, PlotResults& results, std::string& error) {
  results = PlotResults();
  std::vector<std::string> lines;
  if (!read_lines(path, lines, error)) return false;
  CdmState first;
  if (!lines.empty() && parse_cdm_state(lines[0], first)) return read_cdm(lines, results, error);
  if (!lines.empty() && looks_like_mim(lines)) return read_mim(lines, results, error);
  error = "neither a CDM nor a MIM results file";
  return false;
}
