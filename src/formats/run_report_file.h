// The report file of a run, for scripts: one JSON object (FILE.json), or
// a CSV table (FILE.csv) of a header line and one row per run, to which
// every later run with the same header adds its row, so that a loop over
// sites builds one table. Files are written whole or not at all.
#ifndef SORVEL_FORMATS_RUN_REPORT_FILE_H_
#define SORVEL_FORMATS_RUN_REPORT_FILE_H_

#include <optional>
#include <string>
#include <string_view>

#include "report/run_report.h"

enum class ReportFormat { json, csv };

/// The format the name asks for by its extension, .json or .csv (either
/// case), or nothing.
std::optional<ReportFormat> report_format_of(std::string_view path);

/// The JSON object, ended by a line end.
std::string report_json(const RunReport& report);

/// A report read back from its JSON text; nothing, with `error` set to
/// one sentence, when the text is not one.
std::optional<RunReport> parse_report_json(const std::string& text, std::string& error);

/// The report as its JSON file gives it back, every number rounded as the
/// file writes it, so that what a run shows and draws is what the file
/// says.
RunReport report_as_written(const RunReport& report);

/// The CSV header line and the run's row, each ended by a line end. The
/// fields are those of the JSON object, flattened (sigma1_trend,
/// phi_low, ...), without the misfits; an absent value is an empty field.
/// A run that refines its states has their columns too (refined_sigma1_trend,
/// ..., refined_shmax), after the grid state's.
std::string report_csv_header(bool refined);
std::string report_csv_row(const RunReport& report);

/// Why a report cannot be written to `path`, or an empty text: a JSON
/// file that exists (unless `overwrite`), a CSV file with another header,
/// a file that cannot be read (an empty CSV file is a new table). The
/// file is not touched.
std::string report_refusal(const std::string& path, bool overwrite, bool refined);

/// Writes the report (a JSON file is replaced, a CSV row appended);
/// returns the problem, or an empty text when it is written.
std::string write_report(const std::string& path, const RunReport& report, bool overwrite);

#endif  // SORVEL_FORMATS_RUN_REPORT_FILE_H_
