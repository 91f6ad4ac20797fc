// The fault-slip data file: one datum per line, five values each (dip
// direction, dip, slip azimuth, slip plunge in degrees, sense of slip).
// One reader serves the analyses, the importer and its check.
#ifndef SORVEL_FORMATS_DATA_FILE_H_
#define SORVEL_FORMATS_DATA_FILE_H_

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

/// The same for the data file at `path` (a folder is no data file).
StageResult read_data_file(const std::string& path, FaultSet& set);

#endif  // SORVEL_FORMATS_DATA_FILE_H_
