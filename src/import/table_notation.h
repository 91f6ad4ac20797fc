// The notations a table of fault-slip data can be in, how each is
// recognised, and which column plays which role in it.
#ifndef SORVEL_IMPORT_TABLE_NOTATION_H_
#define SORVEL_IMPORT_TABLE_NOTATION_H_

#include <string>
#include <vector>

#include "import/delimited_table.h"
#include "import/row_reading.h"

enum class Notation {
  unknown,
  rgf,       // RGF: tab-separated, header row with DATATYPE, DIP_DIR, DIP, L_DIP_DIR, L_DIP, SENSE
  columns,   // any delimited text whose header names the columns
  quadrant,  // no header: strike, dip with quadrant letter, pitch with letter[, sense]
  fdt,       // our own data file
};

/// The notation of a --format name: rgf, columns, quadrant or fdt.
bool notation_of_name(const std::string& name, Notation& notation);
const char* notation_name(Notation notation);

/// Recognised from the extension of `path`, the header names and the
/// content of the first row; unknown when none fits.
Notation detect_notation(const std::string& path, const Table& table);

/// The column roles of the table in `notation`; false with `error` when
/// the header lacks a column the notation needs.
bool roles_of_table(Notation notation, const Table& table, ColumnRoles& roles, std::string& error);

/// The header names known for each role, one line each, with a line
/// before them that says how they are matched: "  dip: dip, dipangle".
std::vector<std::string> known_header_lines();

/// True when the notation's first row names the columns.
bool has_header(Notation notation);

#endif  // SORVEL_IMPORT_TABLE_NOTATION_H_
