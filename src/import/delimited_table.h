// Delimited text as rows of fields, each row with its physical line
// number. The delimiter is a tab, a semicolon or a comma, whichever the
// first row holds (in that order), else runs of blanks. A field may be
// quoted ("..." with "" for a quote inside); fields are trimmed of blanks.
// Empty lines and lines whose first non-blank character is '#' are skipped;
// CR LF line ends and a UTF-8 byte-order mark are accepted.
#ifndef SORVEL_IMPORT_DELIMITED_TABLE_H_
#define SORVEL_IMPORT_DELIMITED_TABLE_H_

#include <string>
#include <vector>

struct TableRow {
  int line;                         // physical line number, from 1
  std::vector<std::string> fields;  // unquoted, trimmed
};

struct Table {
  char delimiter = ' ';  // '\t', ';', ',' or ' ' for blanks
  std::vector<TableRow> rows;
};

Table read_table(const std::string& text);

/// The field `index` of a row, or an empty text past its end.
std::string field_of(const TableRow& row, int index);

#endif  // SORVEL_IMPORT_DELIMITED_TABLE_H_
