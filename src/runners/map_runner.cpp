#include "runners/map_runner.h"

#include <cctype>

#include "formats/geojson_map.h"
#include "formats/map_records.h"
#include "formats/wsm_table.h"
#include "platform/file_system.h"
#include "platform/results_file.h"
#include "plot/site_map.h"

namespace {

std::string extension_of(const std::string& name) {
  std::size_t slash = name.find_last_of("/\\");
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash + 2) || dot == 0)
    return "";
  std::string extension;
  for (char c : name.substr(dot + 1))
    extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

struct Output {
  const std::string* path;
  std::string text;
  const char* what;
};

// Why the outputs cannot be written, or an empty text: one would replace
// a report read or another output, or exists without --overwrite.
std::string output_refusal(const MapRequest& request, const std::vector<Output>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const std::string& path = *outputs[i].path;
    if (!folder_of_path_exists(path)) return path + ": folder not found";
    if (is_folder(path)) return path + ": is a folder";
    for (const std::string& report : request.reports)
      if (same_file(path, report)) return path + ": would replace a report read";
    for (std::size_t j = 0; j < i; ++j)
      if (same_file(path, *outputs[j].path)) return path + ": named for two outputs";
    if (path_exists(path) && !request.overwrite) return path + ": exists (--overwrite replaces it)";
  }
  return "";
}

// Every output to a temporary file first; renamed into place only when
// all are complete.
std::string write_outputs(const std::vector<Output>& outputs) {
  std::vector<ResultsFile> files(outputs.size());
  std::string problem;
  for (std::size_t i = 0; i < outputs.size() && problem.empty(); ++i) {
    if (!results_file_open(files[i], *outputs[i].path)) {
      problem = *outputs[i].path + ": cannot be written";
      break;
    }
    results_file_write(files[i], outputs[i].text);
  }
  if (!problem.empty()) {
    for (ResultsFile& f : files) results_file_discard(f);
    return problem + "; nothing written";
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (results_file_commit(files[i])) continue;
    problem = *outputs[i].path + ": cannot be written";
    for (std::size_t j = i + 1; j < outputs.size(); ++j) results_file_discard(files[j]);
    return problem + (i == 0 ? "; nothing written" : "; the outputs before it are written");
  }
  return "";
}

}  // namespace

std::string map_request_problem(const MapRequest& request) {
  if (request.reports.empty()) return "no report given";
  if (request.geojson.empty() && request.wsm.empty() && request.picture.empty())
    return "nothing to write: give --geojson, --wsm or --picture";
  std::string e = extension_of(request.geojson);
  if (!request.geojson.empty() && e != "geojson" && e != "json")
    return "a GeoJSON name must end in .geojson or .json: " + request.geojson;
  if (!request.wsm.empty() && extension_of(request.wsm) != "csv")
    return "a WSM table name must end in .csv: " + request.wsm;
  if (!request.picture.empty() && extension_of(request.picture) != "svg")
    return "a picture name must end in .svg: " + request.picture;
  return "";
}

MapOutcome make_stress_map(const MapRequest& request) {
  MapOutcome outcome;
  MapReading reading;
  for (const std::string& report : request.reports) {
    if (is_folder(report)) {
      outcome.error = report + ": is a folder; nothing written";
      return outcome;
    }
    std::string problem = read_map_records(report, reading);
    if (!problem.empty()) {
      outcome.error = problem + "; nothing written";
      return outcome;
    }
  }
  outcome.lines = reading.notes;
  int placed = 0;
  for (const MapRecord& r : reading.records) {
    if (r.lat && r.lon) ++placed;
    else outcome.lines.push_back(r.name + " (" + r.source + "): no position; left out of the "
                                 "GeoJSON and the picture, in the WSM table without LAT/LON");
  }
  std::vector<Output> outputs;
  if (!request.geojson.empty())
    outputs.push_back({&request.geojson, geojson_map(reading.records), "GeoJSON"});
  if (!request.wsm.empty()) outputs.push_back({&request.wsm, wsm_table(reading.records), "WSM table"});
  SiteMap map;
  if (!request.picture.empty()) {
    if (placed == 0) {
      outcome.error = "no stress state with a position to draw; nothing written";
      return outcome;
    }
    map = site_map_picture(reading.records);
    outputs.push_back({&request.picture, map.svg, "picture"});
  }
  std::string refusal = output_refusal(request, outputs);
  if (refusal.empty()) refusal = write_outputs(outputs);
  if (!refusal.empty()) {
    outcome.error = refusal;
    return outcome;
  }
  outcome.lines.push_back(std::to_string(reading.records.size()) + " stress states from " +
                          std::to_string(request.reports.size()) + " reports, " +
                          std::to_string(placed) + " with a position");
  for (const Output& o : outputs) {
    std::string line = std::string(o.what) + " written to " + *o.path;
    if (o.what[0] == 'p' && map.names_left_out > 0)
      line += " (" + std::to_string(map.names_left_out) + " names left out where they would overlap)";
    outcome.lines.push_back(line);
  }
  return outcome;
}
