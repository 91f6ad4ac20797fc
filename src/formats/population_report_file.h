// The population report's files, for scripts and pictures: one JSON
// object (FILE.json), or a CSV table (FILE.csv) of a header line and one
// row per population, to which later runs with the same header add their
// rows. Files are written whole or not at all.
#ifndef SORVEL_FORMATS_POPULATION_REPORT_FILE_H_
#define SORVEL_FORMATS_POPULATION_REPORT_FILE_H_

#include <optional>
#include <string>

#include "report/population_report.h"

/// The JSON object, ended by a line end.
std::string population_report_json(const PopulationRunReport& report);

/// A report read back from its JSON text; nothing, with `error` set to
/// one sentence, when the text is not one.
std::optional<PopulationRunReport> parse_population_report_json(const std::string& text,
                                                                std::string& error);

/// The report as its JSON file gives it back (see report_as_written).
PopulationRunReport population_report_as_written(const PopulationRunReport& report);

/// The CSV header line and one row per population, each ended by a line
/// end: the run's fields, then the population's (number, axes, phi,
/// regime, shmax, r_prime, votes, data count, mean misfit, confidence).
std::string population_csv_header(bool refined);
std::string population_csv_rows(const PopulationRunReport& report);

/// Why the report cannot be written to `path`, or an empty text (as
/// report_refusal, with this report's CSV header).
std::string population_report_refusal(const std::string& path, bool overwrite, bool refined);

/// Writes the report (a JSON file replaced, CSV rows appended); returns
/// the problem, or an empty text.
std::string write_population_report(const std::string& path, const PopulationRunReport& report,
                                    bool overwrite);

#endif  // SORVEL_FORMATS_POPULATION_REPORT_FILE_H_
