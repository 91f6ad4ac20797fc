#include "formats/report_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "formats/run_report_file.h"
#include "platform/file_lock.h"
#include "platform/text_file.h"

namespace report_fields {

// Numbers as the summary line gives them: no false precision in a file
// read by people as much as by scripts.
double rounded(double value, int decimals) {
  double scale = std::pow(10.0, decimals);
  double r = std::round(value * scale) / scale;
  return r == 0.0 ? 0.0 : r;  // no -0
}

// Objects one field a line; a list on one line when it holds numbers,
// else one element a line: a report of a thousand data stays readable.
void layout(const Json& j, int indent, std::string& out) {
  const std::string inner(static_cast<std::size_t>(indent + 2), ' ');
  if (j.is_object() && !j.empty()) {
    out += "{\n";
    bool first = true;
    for (const auto& item : j.items()) {
      out += (first ? "" : ",\n") + inner + Json(item.key()).dump() + ": ";
      layout(item.value(), indent + 2, out);
      first = false;
    }
    out += "\n" + std::string(static_cast<std::size_t>(indent), ' ') + "}";
  } else if (j.is_array() && std::any_of(j.begin(), j.end(), [](const Json& e) { return e.is_structured(); })) {
    out += "[\n";
    for (std::size_t i = 0; i < j.size(); ++i) out += (i == 0 ? "" : ",\n") + inner + j[i].dump();
    out += "\n" + std::string(static_cast<std::size_t>(indent), ' ') + "]";
  } else {
    out += j.dump();
  }
}

Json axis_json(WholeDegreeAxis axis) { return Json::array({axis.azimuth, axis.plunge}); }

Json interval_json(const Interval& i, int decimals) {
  return Json::array({rounded(i.low, decimals), rounded(i.high, decimals)});
}

Json best_json(const BestStateReport& best) {
  Json j;
  j["grid_index"] = best.grid_index;
  j["sigma1"] = axis_json(best.sigma1);
  j["sigma2"] = axis_json(best.sigma2);
  j["sigma3"] = axis_json(best.sigma3);
  j["phi"] = best.phi;
  j["regime"] = regime_code(best.regime);
  j["shmax"] = best.shmax ? Json(rounded(*best.shmax, 1)) : Json(nullptr);
  j["r_prime"] = rounded(best.r_prime, 1);
  j["mean_score"] = rounded(best.mean_score, 1);
  j["mean_misfit"] = rounded(best.mean_misfit, 1);
  j["data_fitting"] = best.data_fitting;
  j["fit_limit"] = best.fit_limit;
  j["misfits"] = best.misfits;
  return j;
}

Json confidence_json(const Confidence& c) {
  Json j;
  j["level"] = c.level;
  j["resamples"] = c.resamples;
  j["seed"] = c.seed;
  j["sigma1_cone"] = rounded(c.sigma1_cone, 1);
  j["sigma3_cone"] = rounded(c.sigma3_cone, 1);
  j["grid_spacing"] = GRID_SPACING_DEGREES;
  j["phi"] = interval_json(c.phi, 1);
  j["shmax"] = c.shmax ? interval_json(*c.shmax, 1) : Json(nullptr);
  j["shmax_undefined"] = c.shmax_undefined;
  j["r_prime"] = interval_json(c.r_prime, 1);
  j["best_share"] = rounded(c.best_share, 3);
  Json states = Json::array();
  for (const ResampledState& s : c.states)
    states.push_back(Json{{"grid_index", s.index}, {"count", s.count}});
  j["states"] = states;
  return j;
}

// Tenths of a degree; a trend that rounds to 360 is 0.
static Json tenths_axis_json(TrendPlunge axis) {
  double trend = rounded(axis.trend, 1);
  return Json::array({trend >= 360.0 ? 0.0 : trend, rounded(axis.plunge, 1)});
}

Json refined_state_json(const RefinedStateReport& r) {
  Json j;
  j["sigma1"] = tenths_axis_json(r.sigma1);
  j["sigma2"] = tenths_axis_json(r.sigma2);
  j["sigma3"] = tenths_axis_json(r.sigma3);
  j["phi"] = rounded(r.phi, 2);
  j["regime"] = regime_code(r.regime);
  j["shmax"] = r.shmax ? Json(rounded(*r.shmax, 1)) : Json(nullptr);
  j["r_prime"] = rounded(r.r_prime, 2);
  j["mean_misfit"] = rounded(r.mean_misfit, 1);
  return j;
}

Json refined_confidence_json(const Confidence& c, const QualityClass& quality) {
  Json j;
  j["level"] = c.level;
  j["resamples"] = c.resamples;
  j["seed"] = c.seed;
  j["sigma1_cone"] = rounded(c.sigma1_cone, 1);
  j["sigma3_cone"] = rounded(c.sigma3_cone, 1);
  j["phi"] = interval_json(c.phi, 2);
  j["shmax"] = c.shmax ? interval_json(*c.shmax, 1) : Json(nullptr);
  j["shmax_undefined"] = c.shmax_undefined;
  j["r_prime"] = interval_json(c.r_prime, 2);
  add_quality_json(quality, j);
  return j;
}

Json site_json(const Site& site) {
  Json j;
  j["name"] = site.name;
  j["lat"] = site.lat ? Json(*site.lat) : Json(nullptr);
  j["lon"] = site.lon ? Json(*site.lon) : Json(nullptr);
  return j;
}

void add_quality_json(const QualityClass& quality, Json& j) {
  j["quality"] = std::string(1, quality.letter);
  j["shmax_halfwidth"] = quality.shmax_halfwidth ? Json(*quality.shmax_halfwidth) : Json(nullptr);
}

// ---- reading ----------------------------------------------------------

// The reader throws on the first field that is missing or of the wrong
// kind; parse_report_json turns that into its error sentence.

const Json& field(const Json& j, const char* name) {
  if (!j.is_object() || !j.contains(name)) throw ReportError{std::string("no field ") + name};
  return j.at(name);
}

double number(const Json& j, const char* name) {
  const Json& v = field(j, name);
  if (!v.is_number()) throw ReportError{std::string(name) + " is not a number"};
  return v.get<double>();
}

long whole(const Json& j, const char* name) {
  const Json& v = field(j, name);
  if (!v.is_number_integer()) throw ReportError{std::string(name) + " is not a whole number"};
  return v.get<long>();
}

static bool whole_degree_number(const Json& v) {
  return v.is_number_integer() && v.get<long>() >= -360 && v.get<long>() <= 360;
}

WholeDegreeAxis axis_of(const Json& j, const char* name) {
  const Json& v = field(j, name);
  if (!v.is_array() || v.size() != 2 || !whole_degree_number(v[0]) || !whole_degree_number(v[1]))
    throw ReportError{std::string(name) + " is not [trend, plunge]"};
  return WholeDegreeAxis{v[0].get<int>(), v[1].get<int>()};
}

Interval interval_of(const Json& j, const char* name) {
  const Json& v = field(j, name);
  if (!v.is_array() || v.size() != 2 || !v[0].is_number() || !v[1].is_number())
    throw ReportError{std::string(name) + " is not [low, high]"};
  return Interval{v[0].get<double>(), v[1].get<double>()};
}

StressRegime regime_of(const Json& j) {
  const Json& v = field(j, "regime");
  for (StressRegime r : {StressRegime::NF, StressRegime::NS, StressRegime::SS, StressRegime::TS,
                         StressRegime::TF, StressRegime::U})
    if (v.is_string() && v.get<std::string>() == regime_code(r)) return r;
  throw ReportError{"regime is not one of NF, NS, SS, TS, TF, U"};
}

BestStateReport best_of(const Json& j) {
  BestStateReport best{};
  best.grid_index = static_cast<int32_t>(whole(j, "grid_index"));
  best.sigma1 = axis_of(j, "sigma1");
  best.sigma2 = axis_of(j, "sigma2");
  best.sigma3 = axis_of(j, "sigma3");
  best.phi = number(j, "phi");
  best.regime = regime_of(j);
  if (!field(j, "shmax").is_null()) best.shmax = number(j, "shmax");
  best.r_prime = number(j, "r_prime");
  best.mean_score = number(j, "mean_score");
  best.mean_misfit = number(j, "mean_misfit");
  best.data_fitting = static_cast<int32_t>(whole(j, "data_fitting"));
  best.fit_limit = number(j, "fit_limit");
  const Json& misfits = field(j, "misfits");
  if (!misfits.is_array()) throw ReportError{"misfits is not a list"};
  for (const Json& m : misfits) {
    if (!m.is_number_integer()) throw ReportError{"a misfit is not a whole number"};
    best.misfits.push_back(m.get<long>());
  }
  return best;
}

// The fields that a confidence and a refined one share.
static Confidence spread_of(const Json& j) {
  Confidence c{};
  c.level = number(j, "level");
  c.resamples = static_cast<int32_t>(whole(j, "resamples"));
  const Json& seed = field(j, "seed");
  if (!seed.is_number_unsigned()) throw ReportError{"seed is not a whole number"};
  c.seed = seed.get<uint64_t>();
  c.sigma1_cone = number(j, "sigma1_cone");
  c.sigma3_cone = number(j, "sigma3_cone");
  c.phi = interval_of(j, "phi");
  if (!field(j, "shmax").is_null()) c.shmax = interval_of(j, "shmax");
  c.shmax_undefined = static_cast<int32_t>(whole(j, "shmax_undefined"));
  c.r_prime = interval_of(j, "r_prime");
  return c;
}

Confidence confidence_of(const Json& j) {
  Confidence c = spread_of(j);
  c.best_share = number(j, "best_share");
  const Json& states = field(j, "states");
  if (!states.is_array()) throw ReportError{"states is not a list"};
  for (const Json& s : states)
    c.states.push_back(ResampledState{static_cast<int32_t>(whole(s, "grid_index")),
                                      static_cast<int32_t>(whole(s, "count"))});
  return c;
}

static TrendPlunge tenths_axis_of(const Json& j, const char* name) {
  const Json& v = field(j, name);
  if (!v.is_array() || v.size() != 2 || !v[0].is_number() || !v[1].is_number())
    throw ReportError{std::string(name) + " is not [trend, plunge]"};
  return TrendPlunge{v[0].get<double>(), v[1].get<double>()};
}

RefinedStateReport refined_state_of(const Json& j) {
  RefinedStateReport r{};
  r.sigma1 = tenths_axis_of(j, "sigma1");
  r.sigma2 = tenths_axis_of(j, "sigma2");
  r.sigma3 = tenths_axis_of(j, "sigma3");
  r.phi = number(j, "phi");
  r.regime = regime_of(j);
  if (!field(j, "shmax").is_null()) r.shmax = number(j, "shmax");
  r.r_prime = number(j, "r_prime");
  r.mean_misfit = number(j, "mean_misfit");
  return r;
}

Confidence refined_confidence_of(const Json& j) { return spread_of(j); }

Json warnings_json(const std::vector<DatumWarning>& warnings) {
  Json list = Json::array();
  for (const DatumWarning& w : warnings)
    list.push_back(Json{{"datum", w.datum}, {"line", w.line}, {"text", w.text}});
  return list;
}

std::vector<DatumWarning> warnings_of(const Json& j) {
  std::vector<DatumWarning> warnings;
  if (!j.is_object() || !j.contains("warnings")) return warnings;
  const Json& list = j.at("warnings");
  if (!list.is_array()) throw ReportError{"warnings is not a list"};
  for (const Json& w : list)
    warnings.push_back({static_cast<int32_t>(whole(w, "datum")),
                        static_cast<int32_t>(whole(w, "line")), text_field(w, "text")});
  return warnings;
}

Site site_of(const Json& report, const std::string& data_file) {
  Site site{default_site_name(data_file), std::nullopt, std::nullopt};
  if (!report.contains("site")) return site;
  const Json& j = report.at("site");
  if (!j.is_object()) throw ReportError{"site is not {name, lat, lon}"};
  site.name = text_field(j, "name");
  bool lat = !field(j, "lat").is_null(), lon = !field(j, "lon").is_null();
  if (lat != lon) throw ReportError{"site has lat or lon alone"};
  if (!lat) return site;
  site.lat = number(j, "lat");
  site.lon = number(j, "lon");
  if (std::fabs(*site.lat) > 90 || std::fabs(*site.lon) > 180)
    throw ReportError{"site lies beyond latitude -90 to 90 or longitude -180 to 180"};
  return site;
}

std::string text_field(const Json& j, const char* name) {
  const Json& v = field(j, name);
  if (!v.is_string()) throw ReportError{std::string(name) + " is not a text"};
  return v.get<std::string>();
}

// ---- CSV --------------------------------------------------------------

std::vector<std::string> state_csv_fields() {
  return {
    "sigma1_trend", "sigma1_plunge", "sigma2_trend", "sigma2_plunge", "sigma3_trend",
    "sigma3_plunge", "phi",          "regime",       "shmax",         "r_prime"};
}

std::vector<std::string> confidence_csv_fields() {
  return {
    "level",    "resamples", "seed",       "sigma1_cone",     "sigma3_cone",
    "phi_low",  "phi_high",  "shmax_low",  "shmax_high",      "shmax_undefined",
    "r_prime_low", "r_prime_high", "best_share"};
}

std::vector<std::string> refined_state_csv_fields() {
  return {"refined_sigma1_trend", "refined_sigma1_plunge", "refined_sigma2_trend",
          "refined_sigma2_plunge", "refined_sigma3_trend", "refined_sigma3_plunge",
          "refined_phi", "refined_shmax"};
}

std::string csv_header(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> names;
  for (const std::vector<std::string>& part : parts) names.insert(names.end(), part.begin(), part.end());
  return csv_line(names);
}

// A field quoted when it holds a comma, a quote or a line end (RFC 4180).
std::string csv_text(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string decimals(double value, int places) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", places, rounded(value, places));
  return text;
}

// The first line without its line end (a table saved on Windows ends
// its lines with a carriage return too).
std::string first_line(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

static std::string write_whole_file(const std::string& path, const std::string& text) {
  if (!write_text_file(path, text)) return "the report cannot be written to " + path;
  return "";
}

static std::string report_file_refusal_held(const std::string& path, bool overwrite,
                                            const std::string& csv_header) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return "";
  if (std::filesystem::is_directory(path, error)) return "report file is a folder: " + path;
  std::optional<ReportFormat> format = report_format_of(path);
  if (format == ReportFormat::json) {
    return overwrite ? "" : "report file exists (--overwrite replaces it): " + path;
  }
  std::string text;
  if (read_text_file(path, text) != TextRead::read) return "report file cannot be read: " + path;
  if (!text.empty() && first_line(text) + "\n" != csv_header)
    return "report file has another header, so no row is added to it: " + path;
  return "";
}

// The check before the run reads the table under the lock too: on
// Windows a file that one run is reading cannot be replaced by another.
std::string report_file_refusal(const std::string& path, bool overwrite,
                                const std::string& csv_header) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return "";
  FileLock lock;
  if (!file_lock_acquire(lock, path)) return "the report cannot be written to " + path;
  std::string refusal = report_file_refusal_held(path, overwrite, csv_header);
  file_lock_release(lock);
  return refusal;
}

static std::string write_report_file_held(const std::string& path, bool overwrite,
                                          ReportFormat format, const std::string& json,
                                          const std::string& csv_header,
                                          const std::string& csv_rows) {
  std::string refusal = report_file_refusal_held(path, overwrite, csv_header);
  if (!refusal.empty()) return refusal;
  if (format == ReportFormat::json) return write_whole_file(path, json);
  std::string text;
  std::error_code error;
  if (std::filesystem::exists(path, error) && read_text_file(path, text) != TextRead::read)
    return "report file cannot be read: " + path;
  if (text.empty()) text = csv_header;  // a new table, or an empty file
  if (text.back() != '\n') text += '\n';
  return write_whole_file(path, text + csv_rows);
}

// Runs that name one report (a loop over sites run in parallel) take
// turns: each checks, reads, extends and replaces the file while it alone
// holds the lock, so that no run's rows are lost and a JSON report is
// one run's whole.
std::string write_report_file(const std::string& path, bool overwrite, const std::string& json,
                              const std::string& csv_header, const std::string& csv_rows) {
  std::optional<ReportFormat> format = report_format_of(path);
  if (!format) return "a report name must end in .json or .csv: " + path;
  FileLock lock;
  if (!file_lock_acquire(lock, path))
    return "the report cannot be written to " + path;  // nor its lock file beside it
  std::string problem = write_report_file_held(path, overwrite, *format, json, csv_header, csv_rows);
  file_lock_release(lock);
  return problem;
}

void add_state_csv_fields(const BestStateReport& b, std::vector<std::string>& f) {
  for (const WholeDegreeAxis& a : {b.sigma1, b.sigma2, b.sigma3}) {
    f.push_back(std::to_string(a.azimuth));
    f.push_back(std::to_string(a.plunge));
  }
  f.push_back(decimals(b.phi, 1));
  f.push_back(regime_code(b.regime));
  f.push_back(b.shmax ? decimals(*b.shmax, 1) : "");
  f.push_back(decimals(b.r_prime, 1));
}

void add_refined_state_csv_fields(const std::optional<RefinedStateReport>& refined,
                                  std::vector<std::string>& f) {
  if (!refined) {
    f.resize(f.size() + 8);
    return;
  }
  for (const TrendPlunge& a : {refined->sigma1, refined->sigma2, refined->sigma3}) {
    Json axis = tenths_axis_json(a);
    f.push_back(decimals(axis[0].get<double>(), 1));
    f.push_back(decimals(axis[1].get<double>(), 1));
  }
  f.push_back(decimals(refined->phi, 2));
  f.push_back(refined->shmax ? decimals(*refined->shmax, 1) : "");
}

void add_confidence_csv_fields(const std::optional<Confidence>& confidence,
                               std::vector<std::string>& f) {
  if (!confidence) {
    f.resize(f.size() + 13);
    return;
  }
  const Confidence& c = *confidence;
  f.push_back(decimals(c.level, 2));
  f.push_back(std::to_string(c.resamples));
  f.push_back(std::to_string(c.seed));
  f.push_back(decimals(c.sigma1_cone, 1));
  f.push_back(decimals(c.sigma3_cone, 1));
  f.push_back(decimals(c.phi.low, 1));
  f.push_back(decimals(c.phi.high, 1));
  f.push_back(c.shmax ? decimals(c.shmax->low, 1) : "");
  f.push_back(c.shmax ? decimals(c.shmax->high, 1) : "");
  f.push_back(std::to_string(c.shmax_undefined));
  f.push_back(decimals(c.r_prime.low, 1));
  f.push_back(decimals(c.r_prime.high, 1));
  f.push_back(decimals(c.best_share, 3));
}

// Positions to a millionth of a degree, about 0.1 m.
void add_site_csv_fields(const Site& site, std::vector<std::string>& f) {
  f.push_back(csv_text(site.name));
  f.push_back(site.lat ? decimals(*site.lat, 6) : "");
  f.push_back(site.lon ? decimals(*site.lon, 6) : "");
}

void add_quality_csv_fields(const QualityClass& quality, std::vector<std::string>& f) {
  f.push_back(std::string(1, quality.letter));
  f.push_back(quality.shmax_halfwidth ? decimals(*quality.shmax_halfwidth, 2) : "");
}

std::string csv_line(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : ",") + fields[i];
  return line + "\n";
}

}  // namespace report_fields
