// Where the field corrections of each row of a table come from: the
// command line, which overrides the file; else the row's own columns (a
// bedding as DD/DIP[/O], or a bedding dip direction and dip, and a
// paleo-north); else the bedding records of the row's site (RGF), their
// mean where a site has several. Every correction applied is counted, so
// that the import can say in one line each what it did.
#ifndef SORVEL_IMPORT_TABLE_CORRECTIONS_H_
#define SORVEL_IMPORT_TABLE_CORRECTIONS_H_

#include <map>
#include <string>
#include <vector>

#include "import/delimited_table.h"
#include "import/field_corrections.h"
#include "import/row_reading.h"

/// The bedding of one site, from its bedding records.
struct SiteBedding {
  Bedding bedding;
  std::vector<int> lines;  // the file lines of its records
};

/// The beddings of the sites of a table, by site name.
using SiteBeddings = std::map<std::string, SiteBedding>;

/// The bedding records of `table` (DATATYPE bedding; a blank DATATYPE or
/// site repeats the one above), each site's by the mean of its poles.
/// Returns the problems, "LINE: message" or ": message" for a site whose
/// records disagree; none when all are good.
std::vector<std::string> read_site_beddings(const Table& table, const ColumnRoles& roles,
                                            SiteBeddings& sites);

/// The site of `row`: its location field, or `above` when that is blank.
std::string site_of_row(const TableRow& row, const ColumnRoles& roles, const std::string& above);

/// A correction and what it came from, as the import reports it.
struct RowCorrection {
  FieldCorrection correction;
  std::string bedding_from;     // "--bedding", "site ANG002 (file lines 40, 41)", ...
  std::string paleonorth_from;  // "--paleonorth", "PALEONORTH column", ...
};

/// The correction of `row` of site `site`: `given`'s parts where set,
/// else the row's columns, else the site's bedding. False, with `error`,
/// when a correction column of the row cannot be read.
bool correction_of_row(const TableRow& row, const ColumnRoles& roles, const std::string& site,
                       const SiteBeddings& sites, const FieldCorrection& given,
                       RowCorrection& correction, std::string& error);

/// One correction applied: the line's words before and after the count.
struct TallyEntry {
  std::string head;  // "bedding 050/80 (--bedding): "
  std::string tail;  // " data back-tilted about its strike line by 80 degrees"
  int count;
};

/// The data each correction was applied to, in the order first met.
struct CorrectionTally {
  std::vector<TallyEntry> entries;
};

/// `datum` corrected, and counted in `tally`.
void apply_correction(const RowCorrection& correction, ImportedDatum& datum,
                      CorrectionTally& tally);

/// One line each correction: "bedding 050/80 (--bedding): 38 data
/// back-tilted about its strike line by 80 degrees".
std::vector<std::string> correction_lines(const CorrectionTally& tally);

#endif  // SORVEL_IMPORT_TABLE_CORRECTIONS_H_
