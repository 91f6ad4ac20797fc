#include "formats/results_reader.h"

#include "platform/file_system.h"
#include "platform/text_file.h"

// The lines of the file, each without its line end (a file saved on
// Windows ends its lines with a carriage return too).
static bool read_lines(const std::string& path, std::vector<std::string>& lines,
                       std::string& error) {
  std::string text;
  TextRead status = is_folder(path) ? TextRead::not_opened : read_text_file(path, text);
  if (status != TextRead::read) {
    error = status == TextRead::failed ? "Results file cannot be read" : "Results file not found";
    return false;
  }
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return true;
}

static bool read_mim(const std::vector<std::string>& lines, PlotResults& results,
                     std::string& error) {
  MimFileContents mim;
  if (!read_mim_lines(lines, mim, error)) return false;
  results.kind = ResultsKind::mim;
  results.fault_count = mim.fault_count;
  results.votes = std::move(mim.votes);
  results.data_name = std::move(mim.data_name);
  results.k_text = std::move(mim.k_text);
  results.function_name = std::move(mim.function_name);
  return true;
}

bool read_results_file(const std::string& path, PlotResults& results, std::string& error) {
  results = PlotResults();
  std::vector<std::string> lines;
  if (!read_lines(path, lines, error)) return false;
  CdmState first;
  if (!lines.empty() && parse_cdm_state(lines[0], first)) {
    results.kind = ResultsKind::cdm;
    return read_cdm_lines(lines, results.states, error);
  }
  if (looks_like_mim_file(lines)) return read_mim(lines, results, error);
  error = "neither a CDM nor a MIM results file";
  return false;
}
