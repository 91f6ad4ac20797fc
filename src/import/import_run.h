// One import: a text in one of the notations turned into data of our data
// file, every refused row and every change reported with the input's
// physical line number.
#ifndef SORVEL_IMPORT_IMPORT_RUN_H_
#define SORVEL_IMPORT_IMPORT_RUN_H_

#include <string>
#include <vector>

#include "import/field_corrections.h"
#include "import/slip_datum.h"
#include "import/table_notation.h"

struct ImportOptions {
  Notation notation = Notation::unknown;  // unknown: recognised from the file
  char sense = 0;                         // for rows without a sense; 0 for none
  double tolerance = 10.0;                // degrees a slip line may be off its plane
  bool bare_pitch_is_trend = false;       // a pitch without letter is the slip trend
  FieldCorrection corrections;            // --bedding, --paleonorth: over the file's own
};

struct ImportOutcome {
  Notation notation = Notation::unknown;
  std::vector<ImportedDatum> data;  // the rows accepted, in file order
  std::vector<std::string> report;  // "NAME:LINE: message", in file order
  int refused = 0;                  // rows with an error
  int not_striae = 0;               // RGF records of other kinds, left out
  bool readable = true;             // false when the file as a whole cannot be read
  std::string refusal;              // then why, without the file's name
};

/// Imports `text`, the content of the file `name`.
ImportOutcome import_text(const std::string& name, const std::string& text,
                          const ImportOptions& options);

#endif  // SORVEL_IMPORT_IMPORT_RUN_H_
