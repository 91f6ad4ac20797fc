// The fields of one table row, by the role of each column, read into a
// Measurement: every value checked for presence, form and range, and the
// quadrant letters turned into azimuths.
#ifndef SORVEL_IMPORT_ROW_READING_H_
#define SORVEL_IMPORT_ROW_READING_H_

#include <string>
#include <vector>

#include "import/delimited_table.h"
#include "import/slip_datum.h"

/// Column of each role, -1 when the table has none.
struct ColumnRoles {
  int dip_direction = -1;
  int strike = -1;      // quadrant strike when a quadrant comes with it, else right-hand rule
  int dip = -1;         // may carry the dip quadrant letter ("61S")
  int quadrant = -1;    // dip quadrant letter
  int trend = -1;
  int plunge = -1;
  int rake = -1;
  int pitch = -1;       // may carry the strike-end letter ("80E")
  int end_letter = -1;  // the strike end a pitch is measured from
  int sense = -1;
  int datatype = -1;    // kind of record (RGF)
  int location = -1;    // the site of a record (RGF); blank: the site above
  int paleonorth = -1;  // the azimuth today of north at the time of faulting
  int bedding = -1;     // the bedding of the row as DD/DIP or DD/DIP/O
  int bedding_dip_direction = -1;
  int bedding_dip = -1;
};

/// How a notation reads its rows.
struct RowRules {
  bool decimal_comma = false;
  bool bare_pitch_is_trend = false;  // a pitch without letter is the slip trend
  bool letter_plunge_means_pitch = false;  // RGF: trend and letter stand for pitch and end
  bool downward_end_only = false;    // our own file: an upward end would turn the sense
  char default_sense = 0;            // for rows without a sense, 0 for none
};

/// False, with the reasons in `errors`, when a value is missing, no
/// number, out of range or a letter that cannot be.
bool measurement_of_row(const TableRow& row, const ColumnRoles& roles, const RowRules& rules,
                        Measurement& m, std::vector<std::string>& errors);

#endif  // SORVEL_IMPORT_ROW_READING_H_
