// Our data file as the importer writes it: one datum a line, the four
// angles to one decimal (azimuths 0.0 to 359.9) and the sense letter,
// through the safe writer so that the file is complete or not there.
#ifndef SORVEL_IMPORT_FDT_WRITER_H_
#define SORVEL_IMPORT_FDT_WRITER_H_

#include <string>
#include <vector>

#include "import/slip_datum.h"

/// " 151.0 61.0 187.4 59.8 N" and a line end.
std::string fdt_line(const ImportedDatum& datum);

enum class WriteStatus { written, exists, failed };

/// Writes the data to `path`; an existing file is replaced only when
/// `overwrite` is set, and is left as it was otherwise or on a failure.
WriteStatus write_fdt_file(const std::string& path, const std::vector<ImportedDatum>& data,
                           bool overwrite);

#endif  // SORVEL_IMPORT_FDT_WRITER_H_
