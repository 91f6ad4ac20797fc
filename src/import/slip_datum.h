// From what a row says, in its notation's terms, to one datum of our data
// file: the slip line by its downward end and a sense letter, with the
// checks that only the geometry can make (line in the plane, sense and
// rake in agreement).
#ifndef SORVEL_IMPORT_SLIP_DATUM_H_
#define SORVEL_IMPORT_SLIP_DATUM_H_

#include <string>
#include <vector>

#include "data/data_file.h"

enum class SlipGiven {
  line,            // trend and plunge, of either end
  rake,            // rake from the right-hand-rule strike direction
  pitch,           // pitch from the strike end at end_azimuth
  trend_in_plane,  // the trend alone; the plunge follows from the plane
};

/// What a row says once its fields are read and in range.
struct Measurement {
  double dip_direction = 0, dip = 0;
  SlipGiven slip = SlipGiven::line;
  double trend = 0, plunge = 0;  // SlipGiven::line, and trend for trend_in_plane
  double rake = 0;
  double pitch = 0, end_azimuth = 0;
  char sense = 0;  // N, R, D or S; 0 when the row gives none
};

/// Errors refuse a row; notes only say what was done to it.
struct RowFindings {
  std::vector<std::string> errors;
  std::vector<std::string> notes;
};

/// The datum of `m`; a slip line off the plane by at most `tolerance`
/// degrees is projected onto it. False when the row is refused.
bool datum_of_measurement(const Measurement& m, double tolerance, ImportedDatum& datum,
                          RowFindings& findings);

/// A number as a message shows it: at most one decimal, no trailing ".0".
std::string degrees_text(double value);

#endif  // SORVEL_IMPORT_SLIP_DATUM_H_
