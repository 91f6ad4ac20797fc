// Checks of every datum that the data file's format lets pass on purpose
// (it makes no range test and reads the sense by its first letter), made
// in the command-line mode so that a mistake of a spreadsheet or of the
// notebook does not go into an inversion unseen: a dip outside 0 to 90, a
// slip line far off its plane, an upward slip line, a sense word whose
// first letter means another sense, and a datum given twice.
#ifndef SORVEL_DATA_DATA_CHECKS_H_
#define SORVEL_DATA_DATA_CHECKS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/tables.h"
#include "data/data_file.h"

/// A slip line more than this many whole degrees off its plane is warned.
inline constexpr long MAX_DEGREES_OFF_PLANE = 10;

/// One warning about one datum.
struct DatumWarning {
  int32_t datum;     // ordinal, from 1
  int32_t line;      // the file line of the datum's first value
  std::string text;  // "slip line 46° off the plane"
};

/// The warnings of every datum of `set`, by datum in file order; `sources`
/// holds the set's file lines and sense words (read_fault_data).
std::vector<DatumWarning> check_fault_data(const FaultSet& set,
                                           const std::vector<DatumSource>& sources);

/// "datum 7 (file line 9): slip line 46° off the plane".
std::string warning_line(const DatumWarning& warning);

/// How many data have at least one warning.
int32_t data_with_warnings(const std::vector<DatumWarning>& warnings);

/// "2 of 38 data have warnings (see above); --strict refuses such files".
std::string warnings_summary(const std::vector<DatumWarning>& warnings, int32_t data_count);

/// Why a sense word whose first letter is none of N, R, S, D is refused,
/// and what to write where the word says it: "the sense "left-lateral"
/// begins with l, which is none of N, R, S, D: write S for sinistral".
std::string sense_word_problem(const std::string& word);

#endif  // SORVEL_DATA_DATA_CHECKS_H_
