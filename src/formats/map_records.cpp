#include "formats/map_records.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "confidence/quality_class.h"
#include "formats/report_fields.h"
#include "formats/population_report_file.h"
#include "formats/run_report_file.h"
#include "platform/text_file.h"

namespace {

const char* const REGIMES[] = {"NF", "NS", "SS", "TS", "TF", "U"};

// ---- a record from a report read back ----

MapRecord record_of_state(const Site& site, const BestStateReport& state,
                          const std::optional<Confidence>& confidence, const std::string& weight,
                          const std::string& source) {
  MapRecord r{};
  r.name = site.name;
  r.lat = site.lat;
  r.lon = site.lon;
  r.sigma1 = state.sigma1;
  r.sigma2 = state.sigma2;
  r.sigma3 = state.sigma3;
  r.phi = state.phi;
  r.regime = regime_code(state.regime);
  r.shmax = state.shmax;
  r.r_prime = state.r_prime;
  r.mean_misfit = state.mean_misfit;
  if (confidence) {
    r.sigma1_cone = confidence->sigma1_cone;
    r.sigma3_cone = confidence->sigma3_cone;
    r.resamples = confidence->resamples;
  }
  QualityClass quality = quality_class(state.shmax, confidence);
  r.quality = quality.letter;
  r.shmax_halfwidth = quality.shmax_halfwidth;
  r.weight_function = weight;
  r.source = source;
  return r;
}

std::string read_run_json(const std::string& path, const std::string& text, MapReading& reading) {
  std::string error;
  std::optional<RunReport> report = parse_report_json(text, error);
  if (!report) return path + ": " + error;
  if (!report->best) {
    reading.notes.push_back(path + ": no stress state (no data); left out");
    return "";
  }
  MapRecord r = record_of_state(report->site, *report->best, report->confidence,
                                report->weight_function, path);
  r.data_count = report->data_count;
  reading.records.push_back(r);
  return "";
}

std::string read_population_json(const std::string& path, const std::string& text,
                                 MapReading& reading) {
  std::string error;
  std::optional<PopulationRunReport> report = parse_population_report_json(text, error);
  if (!report) return path + ": " + error;
  if (report->populations.empty())
    reading.notes.push_back(path + ": no population; left out");
  for (std::size_t n = 0; n < report->populations.size(); ++n) {
    const PopulationReport& p = report->populations[n];
    MapRecord r = record_of_state(report->site, p.state, p.confidence, report->weight_function, path);
    r.name += "/" + std::to_string(n + 1);
    r.population = static_cast<int32_t>(n + 1);
    r.data_count = static_cast<int32_t>(p.data.size());
    reading.records.push_back(r);
  }
  return "";
}

// ---- CSV tables ----

// The fields of each record of an RFC 4180 text: quoted fields may hold
// commas, quotes ("") and line ends; CR LF ends are taken as LF. False on
// an unclosed quote.
bool csv_records(const std::string& text, std::vector<std::vector<std::string>>& records) {
  std::vector<std::string> fields(1);
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',') {
      fields.emplace_back();
      any = true;
    } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      if (c == '\r') ++i;
      if (any || !fields.back().empty()) records.push_back(fields);
      fields.assign(1, "");
      any = false;
    } else {
      fields.back() += c;
      any = true;
    }
  }
  if (any || !fields.back().empty()) records.push_back(fields);
  return !quoted;
}

// One row of a table by its header's names. Reading throws ReportError
// naming the column.
struct CsvRow {
  const std::map<std::string, std::size_t>* columns;
  const std::vector<std::string>* fields;

  const std::string& text(const char* name) const { return (*fields)[columns->at(name)]; }
  std::optional<double> maybe_number(const char* name) const {
    const std::string& t = text(name);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) throw report_fields::ReportError{std::string(name) + " is not a number"};
    return v;
  }
  double number(const char* name) const {
    std::optional<double> v = maybe_number(name);
    if (!v) throw report_fields::ReportError{std::string(name) + " is empty"};
    return *v;
  }
  long whole(const char* name) const {
    double v = number(name);
    if (v != std::floor(v)) throw report_fields::ReportError{std::string(name) + " is not a whole number"};
    return static_cast<long>(v);
  }
  WholeDegreeAxis axis(const char* trend, const char* plunge) const {
    return WholeDegreeAxis{static_cast<int>(whole(trend)), static_cast<int>(whole(plunge))};
  }
};

MapRecord record_of_row(const CsvRow& row, bool populations, const std::string& source) {
  using report_fields::ReportError;
  MapRecord r{};
  r.name = row.text("site");
  if (r.name.empty()) throw ReportError{"site is empty"};
  r.lat = row.maybe_number("lat");
  r.lon = row.maybe_number("lon");
  if (r.lat.has_value() != r.lon.has_value()) throw ReportError{"lat or lon is given alone"};
  if (r.lat && (std::fabs(*r.lat) > 90 || std::fabs(*r.lon) > 180))
    throw ReportError{"lat or lon is out of range"};
  if (populations) {
    r.population = static_cast<int32_t>(row.whole("population"));
    r.name += "/" + std::to_string(*r.population);
  }
  r.sigma1 = row.axis("sigma1_trend", "sigma1_plunge");
  r.sigma2 = row.axis("sigma2_trend", "sigma2_plunge");
  r.sigma3 = row.axis("sigma3_trend", "sigma3_plunge");
  r.phi = row.number("phi");
  r.regime = row.text("regime");
  bool known = false;
  for (const char* code : REGIMES) known = known || r.regime == code;
  if (!known) throw ReportError{"regime is not one of NF, NS, SS, TS, TF, U"};
  r.shmax = row.maybe_number("shmax");
  r.r_prime = row.number("r_prime");
  r.data_count = static_cast<int32_t>(row.whole(populations ? "data" : "data_count"));
  r.mean_misfit = row.number("mean_misfit");
  r.sigma1_cone = row.maybe_number("sigma1_cone");
  r.sigma3_cone = row.maybe_number("sigma3_cone");
  std::optional<double> resamples = row.maybe_number("resamples");
  r.resamples = resamples ? static_cast<int32_t>(*resamples) : 0;
  const std::string& quality = row.text("quality");
  if (quality.size() != 1 || quality[0] < 'A' || quality[0] > 'E')
    throw ReportError{"quality is not one of A to E"};
  r.quality = quality[0];
  r.shmax_halfwidth = row.maybe_number("shmax_halfwidth");
  r.weight_function = row.text("weight_function");
  r.source = source;
  return r;
}

std::string read_csv(const std::string& path, const std::string& text, MapReading& reading) {
  std::vector<std::vector<std::string>> rows;
  if (!csv_records(text, rows)) return path + ": a quoted field is not closed";
  if (rows.empty()) {
    reading.notes.push_back(path + ": an empty table; nothing read");
    return "";
  }
  const std::string header = report_fields::first_line(text) + "\n";
  bool populations = header == population_csv_header(false) || header == population_csv_header(true);
  if (!populations && header != report_csv_header(false) && header != report_csv_header(true))
    return path + ": not a table of sorvel or sorvel-mim (another header)";
  std::map<std::string, std::size_t> columns;
  for (std::size_t i = 0; i < rows[0].size(); ++i) columns[rows[0][i]] = i;
  MapReading read;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::string where = path + ": row " + std::to_string(i + 1);
    if (rows[i].size() != rows[0].size())
      return where + " has " + std::to_string(rows[i].size()) + " fields, the header " +
             std::to_string(rows[0].size());
    CsvRow row{&columns, &rows[i]};
    if (!populations && row.text("sigma1_trend").empty()) {
      read.notes.push_back(where + ": no stress state (no data); left out");
      continue;
    }
    try {
      read.records.push_back(record_of_row(row, populations, path));
    } catch (const report_fields::ReportError& e) {
      return where + ": " + e.what;
    }
  }
  reading.records.insert(reading.records.end(), read.records.begin(), read.records.end());
  reading.notes.insert(reading.notes.end(), read.notes.begin(), read.notes.end());
  return "";
}

}  // namespace

std::string read_map_records(const std::string& path, MapReading& reading) {
  std::optional<ReportFormat> format = report_format_of(path);
  if (!format) return path + ": a report name ends in .json or .csv";
  std::string text;
  if (read_text_file(path, text) != TextRead::read) return path + ": cannot be read";
  if (*format == ReportFormat::csv) return read_csv(path, text, reading);
  report_fields::Json j = report_fields::Json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return path + ": not a JSON report";
  if (j.contains("populations")) return read_population_json(path, text, reading);
  return read_run_json(path, text, reading);
}
