#include "formats/split_files.h"

#include "common/free_format.h"
#include "data/data_file.h"
#include "platform/results_file.h"
#include "platform/text_file.h"

std::vector<std::string> split_file_names(const std::string& prefix,
                                          const PopulationRunReport& report) {
  std::vector<std::string> names;
  for (std::size_t p = 0; p < report.populations.size(); ++p)
    names.push_back(prefix + std::to_string(p + 1) + ".fdt");
  if (!report.unassigned.empty()) names.push_back(prefix + "0.fdt");
  return names;
}

std::string write_split_files(const std::string& prefix, const std::string& data_file,
                              const PopulationRunReport& report) {
  std::string text;
  if (read_text_file(data_file, text) == TextRead::not_opened)
    return "the data file " + data_file + " cannot be read again; no split files written";
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  // The lines of each datum, found by reading the text as the analysis did.
  std::vector<std::string> lines;
  StringLineSource all(text);
  for (std::string line; all.next_line(line);) lines.push_back(line);
  FaultSet again;
  std::vector<int32_t> end_lines;
  StringLineSource source(text);
  if (read_fault_data(source, again, &end_lines) || again.count != report.data_count)
    return "the data file " + data_file + " changed during the run; no split files written";
  auto datum_text = [&](int32_t ordinal) {
    std::string out;
    int32_t first = ordinal > 1 ? end_lines[static_cast<std::size_t>(ordinal - 2)] : 0;
    for (int32_t l = first; l < end_lines[static_cast<std::size_t>(ordinal - 1)]; ++l)
      if (lines[static_cast<std::size_t>(l)].find_first_not_of(" \t") != std::string::npos)
        out += lines[static_cast<std::size_t>(l)] + "\n";
    return out;
  };
  std::vector<std::string> names = split_file_names(prefix, report);
  for (std::size_t f = 0; f < names.size(); ++f) {
    const std::vector<int32_t>& ordinals =
        f < report.populations.size() ? report.populations[f].data : report.unassigned;
    ResultsFile file;
    if (!results_file_open(file, names[f])) return "the data file " + names[f] + " cannot be written";
    for (int32_t ordinal : ordinals) results_file_write(file, datum_text(ordinal));
    if (!results_file_commit(file)) return "the data file " + names[f] + " cannot be written";
  }
  return "";
}
