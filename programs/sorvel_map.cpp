// sorvel-map: the reports of sorvel and sorvel-mim of many sites as one
// stress map: GeoJSON for a GIS, a table in the World Stress Map's
// columns, and an SVG picture.
#include <cstdio>
#include <utility>

#include "runners/map_runner.h"
#include "shell/options.h"

static ProgramTexts map_texts() {
  return ProgramTexts{
      "sorvel-map",
      "sorvel-map [--geojson FILE.geojson] [--wsm FILE.csv] [--picture FILE.svg] [--overwrite]\n"
      "       REPORT...",
      "The stress states of sites as a map, from the reports of sorvel and sorvel-mim\n"
      "(--report FILE.json or FILE.csv, runs with --site, --lat and --lon): one\n"
      "record a CDM run, one a population of a MIM run (named SITE/1, SITE/2, ...).\n\n"
      "  --geojson FILE  a GeoJSON FeatureCollection (RFC 7946), one point a record,\n"
      "                with its stress state as properties, for QGIS and other GIS\n"
      "  --wsm FILE.csv  a table in the World Stress Map's columns (ID, SITE, LAT, LON,\n"
      "                AZI, TYPE, QUALITY, REGIME, NUMBER, SD, S1AZ ... S3PL, COMMENT)\n"
      "  --picture FILE.svg  a map: SHmax bars coloured by regime, long for quality A,\n"
      "                shorter for B to D, a dot for E, with graticule and scale bar\n"
      "  --overwrite   replace existing output files\n"
      "  --help, --version\n"
      "A record without a position is named on the output and left out of the\n"
      "GeoJSON and the picture; the WSM table keeps it with LAT and LON empty.\n"
      "Quality: A to E by the half-width of the bootstrap's 95 % SHmax interval\n"
      "(15, 20, 25, 40 degrees), sorvel's reading of the WSM classes.\n",
      "Exit status: 0 when every output is written, 1 on an error (nothing written),\n"
      "2 on a usage error.\n"};
}

int main(int argc, char** argv) {
  ProgramTexts texts = map_texts();
  ParsedArguments parsed;
  std::string problem = parse_arguments(argc, argv, MAP_TABLE, parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (parsed.options.contains("--help")) {  // reads reports, not data files
    std::printf("usage: %s\n%s\n%s", texts.usage.c_str(), texts.about.c_str(),
                texts.exit_status.c_str());
    return 0;
  }
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  MapRequest request;
  request.reports = parsed.operands;
  for (auto [name, value] : {std::pair{"--geojson", &request.geojson},
                             std::pair{"--wsm", &request.wsm}, std::pair{"--picture", &request.picture}})
    if (const std::string* given = given_value(parsed, name)) *value = *given;
  request.overwrite = parsed.options.contains("--overwrite");
  problem = map_request_problem(request);
  if (!problem.empty()) return usage_error(texts, problem);
  MapOutcome outcome = make_stress_map(request);
  for (const std::string& line : outcome.lines) std::printf("sorvel-map: %s\n", line.c_str());
  if (!outcome.error.empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, "sorvel-map: %s\n", outcome.error.c_str());
    return 1;
  }
  return 0;
}
