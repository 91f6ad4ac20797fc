#include "formats/run_report_file.h"

#include <cctype>

#include "formats/report_fields.h"

using namespace report_fields;

std::optional<ReportFormat> report_format_of(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  std::string extension;
  for (char c : name.substr(dot + 1)) extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "json") return ReportFormat::json;
  if (extension == "csv") return ReportFormat::csv;
  return std::nullopt;
}

std::string report_json(const RunReport& report) {
  Json j;
  j["site"] = site_json(report.site);
  j["data_file"] = report.data_file;
  j["results_file"] = report.results_file;
  j["data_count"] = report.data_count;
  j["weight_function"] = report.weight_function;
  j["best"] = report.best ? best_json(*report.best) : Json(nullptr);
  if (report.best) add_quality_json(quality_class(report.best->shmax, report.confidence), j["best"]);
  if (report.best && report.best->refined) j["best"]["refined"] = refined_state_json(*report.best->refined);
  j["confidence"] = report.confidence ? confidence_json(*report.confidence) : Json(nullptr);
  if (report.confidence && report.refined_confidence && report.best && report.best->refined)
    j["confidence"]["refined"] = refined_confidence_json(
        *report.refined_confidence,
        quality_class(report.best->refined->shmax, report.refined_confidence));
  if (!report.no_confidence.empty()) j["no_confidence"] = report.no_confidence;
  j["warnings"] = warnings_json(report.warnings);
  std::string text;
  layout(j, 0, text);
  return text + "\n";
}

static RunReport run_report_of(const Json& j) {
  RunReport report;
  report.data_file = text_field(j, "data_file");
  report.results_file = text_field(j, "results_file");
  report.data_count = static_cast<int32_t>(whole(j, "data_count"));
  report.weight_function = text_field(j, "weight_function");
  report.site = site_of(j, report.data_file);
  if (!field(j, "best").is_null()) report.best = best_of(field(j, "best"));
  if (report.best && field(j, "best").contains("refined")) {
    report.best->refined = refined_state_of(field(j, "best").at("refined"));
    report.refine = true;
  }
  if (!field(j, "confidence").is_null()) report.confidence = confidence_of(field(j, "confidence"));
  if (report.confidence && field(j, "confidence").contains("refined"))
    report.refined_confidence = refined_confidence_of(field(j, "confidence").at("refined"));
  if (j.contains("no_confidence") && j["no_confidence"].is_string())
    report.no_confidence = j["no_confidence"].get<std::string>();
  report.warnings = warnings_of(j);
  return report;
}

std::optional<RunReport> parse_report_json(const std::string& text, std::string& error) {
  return read_report_json<RunReport>(text, "not a report of sorvel", run_report_of, error);
}

std::string report_csv_header(bool refined) {
  return csv_header({{"site", "lat", "lon"},
                     {"data_file", "results_file", "data_count", "weight_function"},
                     state_csv_fields(),
                     {"mean_score", "mean_misfit", "data_fitting"},
                     refined ? refined_state_csv_fields() : std::vector<std::string>{},
                     confidence_csv_fields(),
                     {"quality", "shmax_halfwidth"},
                     {"warnings"}});
}

std::string report_csv_row(const RunReport& r) {
  std::vector<std::string> f;
  add_site_csv_fields(r.site, f);
  for (const std::string& text : {csv_text(r.data_file), csv_text(r.results_file),
                                  std::to_string(r.data_count), csv_text(r.weight_function)})
    f.push_back(text);
  if (r.best) {
    const BestStateReport& b = *r.best;
    add_state_csv_fields(b, f);
    f.push_back(decimals(b.mean_score, 1));
    f.push_back(decimals(b.mean_misfit, 1));
    f.push_back(std::to_string(b.data_fitting));
  } else {
    f.resize(f.size() + 13);
  }
  if (r.refine) add_refined_state_csv_fields(r.best ? r.best->refined : std::nullopt, f);
  add_confidence_csv_fields(r.confidence, f);
  add_quality_csv_fields(quality_class(r.best ? r.best->shmax : std::nullopt, r.confidence), f);
  f.push_back(std::to_string(r.warnings.size()));
  return csv_line(f);
}

std::string report_refusal(const std::string& path, bool overwrite, bool refined) {
  return report_file_refusal(path, overwrite, report_csv_header(refined));
}

std::string write_report(const std::string& path, const RunReport& report, bool overwrite) {
  return write_report_file(path, overwrite, report_json(report), report_csv_header(report.refine),
                           report_csv_row(report));
}

RunReport report_as_written(const RunReport& report) {
  std::string unused;
  std::optional<RunReport> read = parse_report_json(report_json(report), unused);
  return read ? *read : report;
}
