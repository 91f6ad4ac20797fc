// sorvel-map's work: the reports of sorvel and sorvel-mim read into map
// records, and the GeoJSON map, the WSM table and the picture written,
// every one whole or none at all.
#ifndef SORVEL_RUNNERS_MAP_RUNNER_H_
#define SORVEL_RUNNERS_MAP_RUNNER_H_

#include <string>
#include <vector>

struct MapRequest {
  std::vector<std::string> reports;  // .json and .csv files, in order
  std::string geojson;               // empty: not asked for
  std::string wsm;
  std::string picture;
  bool overwrite = false;            // existing outputs may be replaced
};

struct MapOutcome {
  std::vector<std::string> lines;  // what was read, left out and written
  std::string error;               // empty when every output is written
};

/// The usage problem of a request (no output asked for, a name with the
/// wrong extension), or an empty text.
std::string map_request_problem(const MapRequest& request);

MapOutcome make_stress_map(const MapRequest& request);

#endif  // SORVEL_RUNNERS_MAP_RUNNER_H_
