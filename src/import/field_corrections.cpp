#include "import/field_corrections.h"

#include <cmath>
#include <vector>

#include "import/field_text.h"
#include "math/double_functions.h"

namespace {

// The letter a datum had is kept while it gives the motion with this much
// to spare (the sine of the part of the motion it is decided by): the
// written file rounds angles to 0.1 degree, which must not turn it.
const double SAFE_PART = 0.0871557;  // sin 5 degrees

Vec3d scaled(Vec3d v, double s) { return {v.x * s, v.y * s, v.z * s}; }

// The turn that makes the bedding horizontal: about its strike line
// (horizontal, 90 degrees clockwise of the dip direction), which turns the
// bedding's upward pole onto the vertical by the dip.
Vec3d back_tilted(Vec3d v, const Bedding& bedding) {
  Vec3d strike = axis_vector(bedding.dip_direction + 90.0, 0.0);
  return turned(v, strike, bedding.dip + (bedding.overturned ? 180.0 : 0.0));
}

// Turned about the vertical so that azimuths become `paleonorth` smaller.
Vec3d turned_to_paleonorth(Vec3d v, double paleonorth) {
  return turned(v, Vec3d{0, 0, 1}, paleonorth);
}

Vec3d corrected(Vec3d v, const FieldCorrection& correction) {
  if (correction.bedding) v = back_tilted(v, *correction.bedding);
  if (correction.paleonorth) v = turned_to_paleonorth(v, *correction.paleonorth);
  return v;
}

// The part of the motion that decides a letter: down the dip for N and
// R, along the strike for D and S.
double deciding_part(char sense, MotionParts parts) {
  return sense == 'N' || sense == 'R' ? parts.down_dip : parts.along_strike;
}

// The letter for `motion` on the plane of `datum` (whose line is the
// motion's line): the datum's own letter while it gives that motion with
// room to spare, else the letter of the motion's larger part.
char letter_of_motion(const ImportedDatum& datum, char old_letter, Vec3d motion) {
  MotionParts parts = parts_of_motion(motion, datum.dip_direction, datum.dip);
  ImportedDatum with_old = datum;
  with_old.sense = old_letter;
  if (dot(motion_of_datum(with_old), motion) > 0 &&
      std::fabs(deciding_part(old_letter, parts)) >= SAFE_PART)
    return old_letter;
  return sense_of_motion(parts);
}

}  // namespace

bool parse_bedding(const std::string& text, Bedding& bedding) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == '/')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  if (parts.size() < 2 || parts.size() > 3) return false;
  Bedding b;
  if (!parse_decimal(parts[0], false, b.dip_direction) || !parse_decimal(parts[1], false, b.dip))
    return false;
  if (parts.size() == 3) {
    if (folded_name(parts[2]) != "o" && folded_name(parts[2]) != "overturned") return false;
    b.overturned = true;
  }
  if (!(b.dip >= 0 && b.dip <= 90)) return false;
  b.dip_direction = wrap_azimuth(b.dip_direction);
  bedding = b;
  return true;
}

std::string bedding_text(const Bedding& bedding) {
  char text[64];
  std::snprintf(text, sizeof text, "%03.0f/%02.0f", bedding.dip_direction, bedding.dip);
  std::string s = text;
  if (std::round(bedding.dip_direction) != bedding.dip_direction ||
      std::round(bedding.dip) != bedding.dip)
    s = degrees_text(bedding.dip_direction) + "/" + degrees_text(bedding.dip);
  return bedding.overturned ? s + " overturned" : s;
}

Vec3d motion_of_datum(const ImportedDatum& datum) {
  Vec3d line = axis_vector(datum.trend, datum.plunge);
  double side = sin_d((datum.trend - datum.dip_direction) * DEGREE);
  bool reversed = datum.sense == 'R' || (datum.sense == 'D' && side < 0) ||
                  (datum.sense == 'S' && side > 0);
  return reversed ? scaled(line, -1.0) : line;
}

ImportedDatum corrected_datum(const ImportedDatum& datum, const FieldCorrection& correction) {
  Vec3d pole = corrected(plane_pole(datum.dip_direction, datum.dip), correction);
  Vec3d motion = corrected(motion_of_datum(datum), correction);
  // A plane turned past the vertical has its blocks the other way up: the
  // former footwall is now the hanging wall, and moves the other way.
  if (pole.z > 0) pole = scaled(pole, -1.0), motion = scaled(motion, -1.0);
  ImportedDatum result;
  TrendPlunge down = downward_trend_plunge(pole);
  result.dip_direction = wrap_azimuth(down.trend + 180.0);
  result.dip = 90.0 - down.plunge;
  TrendPlunge line = downward_trend_plunge(motion);
  result.trend = line.trend;
  result.plunge = line.plunge;
  result.sense = letter_of_motion(result, datum.sense, motion);
  return result;
}
