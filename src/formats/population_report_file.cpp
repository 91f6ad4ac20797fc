#include "formats/population_report_file.h"

#include "formats/report_fields.h"

using namespace report_fields;

namespace {

Json population_json(const PopulationReport& p, int32_t number) {
  Json j;
  j["population"] = number;
  Json state = best_json(p.state);
  for (const auto& item : state.items()) j[item.key()] = item.value();
  j["votes"] = p.votes;
  j["data_alone"] = p.data_alone;
  j["data"] = p.data;
  j["confidence"] = p.confidence ? confidence_json(*p.confidence) : Json(nullptr);
  if (!p.no_confidence.empty()) j["no_confidence"] = p.no_confidence;
  add_quality_json(quality_class(p.state.shmax, p.confidence), j);
  if (p.state.refined) {
    j["refined"] = refined_state_json(*p.state.refined);
    if (p.confidence && p.refined_confidence)
      j["confidence"]["refined"] = refined_confidence_json(
          *p.refined_confidence, quality_class(p.state.refined->shmax, p.refined_confidence));
  }
  return j;
}

Json dropped_json(const DroppedReport& d) {
  return Json{{"grid_index", d.grid_index}, {"sigma1", axis_json(d.sigma1)},
              {"sigma3", axis_json(d.sigma3)}, {"phi", d.phi},
              {"data", d.data}, {"data_alone", d.data_alone},
              {"votes", d.votes}, {"reason", d.reason}};
}

std::vector<int32_t> ordinals_of(const Json& j, const char* name) {
  const Json& list = field(j, name);
  if (!list.is_array()) throw ReportError{std::string(name) + " is not a list"};
  std::vector<int32_t> ordinals;
  for (const Json& o : list) {
    if (!o.is_number_integer()) throw ReportError{std::string(name) + " holds a non-whole number"};
    ordinals.push_back(o.get<int32_t>());
  }
  return ordinals;
}

PopulationReport population_of(const Json& j) {
  PopulationReport p{};
  p.state = best_of(j);
  p.votes = whole(j, "votes");
  p.data_alone = static_cast<int32_t>(whole(j, "data_alone"));
  p.data = ordinals_of(j, "data");
  if (!field(j, "confidence").is_null()) p.confidence = confidence_of(field(j, "confidence"));
  if (j.contains("refined")) p.state.refined = refined_state_of(j.at("refined"));
  if (p.confidence && field(j, "confidence").contains("refined"))
    p.refined_confidence = refined_confidence_of(field(j, "confidence").at("refined"));
  if (j.contains("no_confidence") && j["no_confidence"].is_string())
    p.no_confidence = j["no_confidence"].get<std::string>();
  return p;
}

}  // namespace

std::string population_report_json(const PopulationRunReport& r) {
  Json j;
  j["site"] = site_json(r.site);
  j["data_file"] = r.data_file;
  j["results_file"] = r.results_file;
  j["data_count"] = r.data_count;
  j["weight_function"] = r.weight_function;
  j["k"] = r.k;
  j["subsets"] = r.subsets;
  j["separation"] = r.separation;
  j["min_votes"] = r.min_votes;
  j["fit_limit"] = r.fit_limit;
  j["fixed_count"] = r.fixed_count;
  j["least_alone"] = r.least_alone;
  Json populations = Json::array();
  for (std::size_t p = 0; p < r.populations.size(); ++p)
    populations.push_back(population_json(r.populations[p], static_cast<int32_t>(p + 1)));
  j["populations"] = populations;
  j["unassigned"] = r.unassigned;
  Json dropped = Json::array();
  for (const DroppedReport& d : r.dropped) dropped.push_back(dropped_json(d));
  j["dropped"] = dropped;
  j["warnings"] = warnings_json(r.warnings);
  std::string text;
  layout(j, 0, text);
  return text + "\n";
}

namespace {

PopulationRunReport population_run_report_of(const Json& j) {
  PopulationRunReport r;
  r.data_file = text_field(j, "data_file");
  r.results_file = text_field(j, "results_file");
  r.data_count = static_cast<int32_t>(whole(j, "data_count"));
  r.weight_function = text_field(j, "weight_function");
  r.site = site_of(j, r.data_file);
  r.k = static_cast<int32_t>(whole(j, "k"));
  r.subsets = whole(j, "subsets");
  r.separation = number(j, "separation");
  r.min_votes = number(j, "min_votes");
  r.fit_limit = number(j, "fit_limit");
  r.fixed_count = static_cast<int32_t>(whole(j, "fixed_count"));
  r.least_alone = static_cast<int32_t>(whole(j, "least_alone"));
  const Json& populations = field(j, "populations");
  if (!populations.is_array()) throw ReportError{"populations is not a list"};
  for (const Json& p : populations) r.populations.push_back(population_of(p));
  r.unassigned = ordinals_of(j, "unassigned");
  const Json& dropped = field(j, "dropped");
  if (!dropped.is_array()) throw ReportError{"dropped is not a list"};
  for (const Json& d : dropped) {
    r.dropped.push_back({static_cast<int32_t>(whole(d, "grid_index")), axis_of(d, "sigma1"),
                         axis_of(d, "sigma3"),
                         number(d, "phi"),
                         static_cast<int32_t>(whole(d, "data")),
                         static_cast<int32_t>(whole(d, "data_alone")),
                         whole(d, "votes"),
                         text_field(d, "reason")});
  }
  r.warnings = warnings_of(j);
  return r;
}

}  // namespace

std::optional<PopulationRunReport> parse_population_report_json(const std::string& text,
                                                                std::string& error) {
  return read_report_json<PopulationRunReport>(text, "not a population report of sorvel-mim",
                                               population_run_report_of, error);
}

std::string population_csv_header(bool refined) {
  return csv_header({{"site", "lat", "lon"},
                     {"data_file", "results_file", "data_count", "weight_function", "k",
                      "subsets", "populations", "population"},
                     state_csv_fields(),
                     {"votes", "data", "data_alone", "mean_misfit"},
                     refined ? refined_state_csv_fields() : std::vector<std::string>{},
                     confidence_csv_fields(),
                     {"quality", "shmax_halfwidth"},
                     {"warnings"}});
}

std::string population_csv_rows(const PopulationRunReport& r) {
  std::string rows;
  for (std::size_t n = 0; n < r.populations.size(); ++n) {
    const PopulationReport& p = r.populations[n];
    const BestStateReport& b = p.state;
    std::vector<std::string> f;
    add_site_csv_fields(r.site, f);
    for (const std::string& text :
         {csv_text(r.data_file), csv_text(r.results_file), std::to_string(r.data_count),
          csv_text(r.weight_function), std::to_string(r.k), std::to_string(r.subsets),
          std::to_string(r.populations.size()), std::to_string(n + 1)})
      f.push_back(text);
    add_state_csv_fields(b, f);
    f.push_back(std::to_string(p.votes));
    f.push_back(std::to_string(p.data.size()));
    f.push_back(std::to_string(p.data_alone));
    f.push_back(decimals(b.mean_misfit, 1));
    if (r.refine) add_refined_state_csv_fields(b.refined, f);
    add_confidence_csv_fields(p.confidence, f);
    add_quality_csv_fields(quality_class(b.shmax, p.confidence), f);
    f.push_back(std::to_string(r.warnings.size()));
    rows += csv_line(f);
  }
  return rows;
}

std::string population_report_refusal(const std::string& path, bool overwrite, bool refined) {
  return report_file_refusal(path, overwrite, population_csv_header(refined));
}

std::string write_population_report(const std::string& path, const PopulationRunReport& report,
                                    bool overwrite) {
  return write_report_file(path, overwrite, population_report_json(report),
                           population_csv_header(report.refine), population_csv_rows(report));
}

PopulationRunReport population_report_as_written(const PopulationRunReport& report) {
  std::string unused;
  std::optional<PopulationRunReport> read =
      parse_population_report_json(population_report_json(report), unused);
  if (!read) return report;
  read->refine = report.refine;  // a setting of the run, which no population may show
  return *read;
}
