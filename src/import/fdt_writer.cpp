#include "import/fdt_writer.h"

#include <cmath>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/results_file.h"

// Rounded to one decimal as the line will show it; + 0.0 turns -0 into 0.
static double tenths(double value) { return std::round(value * 10.0) / 10.0 + 0.0; }

static double azimuth_tenths(double azimuth) {
  double a = tenths(azimuth);
  return a >= 360.0 ? a - 360.0 : a;
}

std::string fdt_line(const ImportedDatum& d) {
  char text[64];
  std::snprintf(text, sizeof text, "%5.1f %4.1f %5.1f %4.1f %c\n", azimuth_tenths(d.dip_direction),
                tenths(d.dip), azimuth_tenths(d.trend), tenths(d.plunge), d.sense);
  return text;
}

WriteStatus write_fdt_file(const std::string& path, const std::vector<ImportedDatum>& data,
                           bool overwrite) {
  if (!overwrite && path_exists(path)) return WriteStatus::exists;
  ResultsFile file;
  if (!results_file_open(file, path)) return WriteStatus::failed;
  for (const ImportedDatum& datum : data) results_file_write(file, fdt_line(datum));
  return results_file_commit(file) ? WriteStatus::written : WriteStatus::failed;
}
