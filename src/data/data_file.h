// The fault-slip data file: one datum per line, five values each (dip
// direction, dip, slip azimuth, slip plunge in degrees, sense of slip).
// One reader serves the analyses, the importer and its check; the writer
// is the importer's: the four angles to one decimal (azimuths 0.0 to
// 359.9) and the sense letter, through the safe writer so that the file
// is complete or not there.
#ifndef SORVEL_DATA_DATA_FILE_H_
#define SORVEL_DATA_DATA_FILE_H_

#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/free_format.h"
#include "common/tables.h"

/// Reads every datum of `source`, line after line, into `set`; a datum
/// may go on over the next line. On a problem `set` is left empty and
/// the report names read_data_file, the message and the datum's ordinal.
/// When `end_lines` is given it receives, for each datum, the number of
/// the line (from 1) that held its last value.
StageResult read_fault_data(LineSource& source, FaultSet& set,
                            std::vector<int32_t>* end_lines = nullptr);

/// Where a datum stands in its file and how its sense is written, for
/// the messages of the command-line mode.
struct DatumSource {
  int32_t first_line = 0;  // the line of its first value, from 1
  int32_t last_line = 0;   // the line of its last value
  std::string sense_word;  // the fifth value as written, quotes removed
};

/// read_fault_data with the source of every datum in `sources`.
StageResult read_fault_data(LineSource& source, FaultSet& set, std::vector<DatumSource>& sources);

/// The same for the data file at `path` (a folder is no data file). Every
/// report of a datum carries in `detail` the file line and the cause:
/// "datum 3 (file line 5): a value is not a number where a number is due".
StageResult read_data_file(const std::string& path, FaultSet& set);
StageResult read_data_file(const std::string& path, FaultSet& set,
                           std::vector<DatumSource>& sources);

/// One datum as it is written: degrees, the line by its downward end.
struct ImportedDatum {
  double dip_direction, dip, trend, plunge;
  char sense;  // N, R, D or S
};

/// " 151.0 61.0 187.4 59.8 N" and a line end.
std::string fdt_line(const ImportedDatum& datum);

enum class WriteStatus { written, exists, failed };

/// Writes the data to `path`; an existing file is replaced only when
/// `overwrite` is set, and is left as it was otherwise or on a failure.
WriteStatus write_fdt_file(const std::string& path, const std::vector<ImportedDatum>& data,
                           bool overwrite);

#endif  // SORVEL_DATA_DATA_FILE_H_
