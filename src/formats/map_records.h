// The stress states of sites as a map shows them, read from the reports
// of sorvel and sorvel-mim: JSON reports and CSV tables of either. A CDM
// run gives one record, named by its site; each population of a MIM run
// gives one, named SITE/1, SITE/2, ...
#ifndef SORVEL_FORMATS_MAP_RECORDS_H_
#define SORVEL_FORMATS_MAP_RECORDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/run_report.h"

struct MapRecord {
  std::string name;                   // the site, or SITE/N for population N
  std::optional<double> lat, lon;     // WGS 84 degrees; none: unknown position
  std::optional<int32_t> population;  // none for a CDM run
  WholeDegreeAxis sigma1, sigma2, sigma3;
  double phi;
  std::string regime;                 // NF, NS, SS, TS, TF or U
  std::optional<double> shmax;        // degrees 0 to 180; none: undefined
  double r_prime;
  int32_t data_count;
  double mean_misfit;                 // degrees
  std::optional<double> sigma1_cone, sigma3_cone;  // none without a bootstrap
  char quality;                       // 'A' to 'E'
  std::optional<double> shmax_halfwidth;
  std::string weight_function;
  int32_t resamples;                  // 0: no bootstrap
  std::string source;                 // the report read
};

/// What the reports hold for a map: the records in the order read, and
/// one line for each run left out (a run without data, a MIM run without
/// populations), naming its file.
struct MapReading {
  std::vector<MapRecord> records;
  std::vector<std::string> notes;
};

/// Adds the records of the report `path` (a .json or .csv file of sorvel
/// or sorvel-mim) to `reading`; returns the problem, naming the file, or
/// an empty text. On a problem nothing of the file is added.
std::string read_map_records(const std::string& path, MapReading& reading);

#endif  // SORVEL_FORMATS_MAP_RECORDS_H_
