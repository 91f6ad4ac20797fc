// Field data are measured in today's frame; the stress they record acted
// in the frame of the time of faulting. Two corrections bring them back:
//  - back-tilting: every plane and slip line is turned about the strike
//    line of the bedding by the bedding's dip, so that the bedding becomes
//    horizontal (an overturned bed, which has come past the vertical, by
//    180 degrees plus its dip);
//  - paleo-north: a site that has turned about a vertical axis since the
//    faulting (a paleomagnetic rotation) is turned back. A is the azimuth,
//    today, of north at the time of faulting; every vector is turned about
//    the vertical by -A, so that azimuths become A smaller (A = 30: a site
//    that has turned 30 degrees clockwise since).
// The bedding comes first, then paleo-north. The plane and the hanging
// wall's motion turn as one body, so that the slip line stays on its plane
// and the motion keeps its sense; the datum is then written by the
// downward end of its line, with the letter that gives that motion.
#ifndef SORVEL_IMPORT_FIELD_CORRECTIONS_H_
#define SORVEL_IMPORT_FIELD_CORRECTIONS_H_

#include <optional>
#include <string>

#include "import/slip_datum.h"
#include "import/slip_geometry.h"

/// A bedding in today's frame, degrees.
struct Bedding {
  double dip_direction = 0;
  double dip = 0;
  bool overturned = false;
};

/// What a datum is corrected by; either may be absent.
struct FieldCorrection {
  std::optional<Bedding> bedding;
  std::optional<double> paleonorth;  // degrees, the azimuth today of north then
};

/// "DD/DIP" or "DD/DIP/O" (O for overturned): a dip direction and a dip
/// from 0 to 90. False for anything else.
bool parse_bedding(const std::string& text, Bedding& bedding);

/// "050/80", or "050/80 overturned".
std::string bedding_text(const Bedding& bedding);

/// The motion of the hanging wall that the analyses read from `datum`
/// (its line turned by the sense letter as they turn it).
Vec3d motion_of_datum(const ImportedDatum& datum);

/// `datum` corrected: back-tilted by the bedding, then turned by -A
/// about the vertical.
ImportedDatum corrected_datum(const ImportedDatum& datum, const FieldCorrection& correction);

#endif  // SORVEL_IMPORT_FIELD_CORRECTIONS_H_
