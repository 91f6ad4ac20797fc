// The pieces the report files of the analyses share: the layout of a JSON
// report, the fields of a stress state and of its confidence written and
// read back, CSV fields and their names, and the rules of replacing a
// JSON file and adding rows to a CSV table. Only the report files use
// them.
#ifndef SORVEL_FORMATS_REPORT_FIELDS_H_
#define SORVEL_FORMATS_REPORT_FIELDS_H_

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/site.h"
#include "confidence/confidence_report.h"
#include "confidence/quality_class.h"
#include "report/run_report.h"

namespace report_fields {

using Json = nlohmann::ordered_json;

/// Thrown by the readers on the first field missing or of the wrong kind.
struct ReportError {
  std::string what;
};

double rounded(double value, int decimals);

/// Objects one field a line, lists of numbers on one line.
void layout(const Json& j, int indent, std::string& out);

Json axis_json(WholeDegreeAxis axis);
Json best_json(const BestStateReport& best);
Json confidence_json(const Confidence& c);
/// A refined state: axes [trend, plunge] to tenths of a degree, phi to
/// hundredths, regime, shmax, r_prime and mean_misfit.
Json refined_state_json(const RefinedStateReport& refined);
/// The confidence from refined resamples: the fields of a confidence
/// without grid_spacing, best_share and states, its intervals to
/// hundredths of Phi and R', then quality and shmax_halfwidth.
Json refined_confidence_json(const Confidence& c, const QualityClass& quality);
/// {name, lat, lon}, lat and lon null when unknown.
Json site_json(const Site& site);
/// The quality class of a state as the fields quality and shmax_halfwidth.
void add_quality_json(const QualityClass& quality, Json& j);

const Json& field(const Json& j, const char* name);
double number(const Json& j, const char* name);
long whole(const Json& j, const char* name);
std::string text_field(const Json& j, const char* name);
WholeDegreeAxis axis_of(const Json& j, const char* name);
BestStateReport best_of(const Json& j);
Confidence confidence_of(const Json& j);
RefinedStateReport refined_state_of(const Json& j);
Confidence refined_confidence_of(const Json& j);
/// The warnings of the data checks as a list of {datum, line, text}, and
/// back; a report written before the checks has none.
Json warnings_json(const std::vector<DatumWarning>& warnings);
std::vector<DatumWarning> warnings_of(const Json& j);
/// The site of a report; a report without one is of the site its data
/// file names, at no known position.
Site site_of(const Json& report, const std::string& data_file);

std::string csv_text(const std::string& text);
/// The names of the fields that the two routines below add.
std::vector<std::string> state_csv_fields();
std::vector<std::string> confidence_csv_fields();
std::vector<std::string> refined_state_csv_fields();
/// The header line of the names of all `parts` in turn.
std::string csv_header(std::initializer_list<std::vector<std::string>> parts);
/// The axes, phi, regime, shmax and r_prime of a state: 10 fields.
void add_state_csv_fields(const BestStateReport& state, std::vector<std::string>& fields);
/// level, resamples, seed, the cones and the intervals, best_share: 13
/// fields, empty without a confidence.
void add_confidence_csv_fields(const std::optional<Confidence>& confidence,
                               std::vector<std::string>& fields);
/// The refined axes to tenths, phi to hundredths and shmax: 8 fields,
/// empty without a refined state.
void add_refined_state_csv_fields(const std::optional<RefinedStateReport>& refined,
                                  std::vector<std::string>& fields);
/// The fields joined by commas, ended by a line end.
std::string csv_line(const std::vector<std::string>& fields);
std::string decimals(double value, int places);
std::string first_line(const std::string& text);

/// Why a report cannot go to `path` (a JSON file that exists unless
/// `overwrite`, a CSV file with another header), or an empty text.
std::string report_file_refusal(const std::string& path, bool overwrite,
                                const std::string& csv_header);

/// The fields site, lat and lon (3 fields) and quality, shmax_halfwidth
/// (2 fields) of a row.
void add_site_csv_fields(const Site& site, std::vector<std::string>& fields);
void add_quality_csv_fields(const QualityClass& quality, std::vector<std::string>& fields);

/// A JSON report replaces the file; CSV rows are added under the header.
std::string write_report_file(const std::string& path, bool overwrite, const std::string& json,
                              const std::string& csv_header, const std::string& csv_rows);

/// The report that `read` makes of the JSON object in `text`; nothing,
/// with `error` set to one sentence, when the text is not JSON or a field
/// is missing or of the wrong kind ("<refusal>: <which>").
template <class Report>
std::optional<Report> read_report_json(const std::string& text, const std::string& refusal,
                                       Report (*read)(const Json&), std::string& error) {
  Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    error = "not a JSON text";
    return std::nullopt;
  }
  try {
    return read(j);
  } catch (const ReportError& e) {
    error = refusal + ": " + e.what;
  } catch (const nlohmann::json::exception& e) {
    error = refusal + ": " + e.what();
  }
  return std::nullopt;
}

}  // namespace report_fields

#endif  // SORVEL_FORMATS_REPORT_FIELDS_H_
