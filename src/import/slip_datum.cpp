#include "import/slip_datum.h"

#include <cmath>

#include "formats/state_text.h"
#include "import/slip_geometry.h"
#include "math/double_functions.h"

// A line closer to its plane than this is taken as measured in it: the
// rounding of whole-degree readings alone puts lines up to about this far
// off, so projecting them is not worth a note.
static const double NOTED_OFF_PLANE = 1.0;

std::string degrees_text(double value) {
  std::string s = one_decimal(value);
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return s == "-0" ? "0" : s;
}

static const char* sense_word(char sense) {
  switch (sense) {
    case 'N': return "normal";
    case 'R': return "reverse";
    case 'D': return "dextral";
    default: return "sinistral";
  }
}

// The given sense against the rake's motion: a part of the motion says
// something only when the slip is more than `tolerance` degrees away from
// square to it. Returns the letter to write, or 0 on a contradiction.
static char sense_checked_by_rake(char given, MotionParts parts, double tolerance) {
  char derived = sense_of_motion(parts);
  if (given == 0) return derived;
  double significant = sin_d(pi_times_over_180(tolerance));
  bool dip_slip = given == 'N' || given == 'R';
  double part = dip_slip ? parts.down_dip : parts.along_strike;
  if (std::fabs(part) <= significant) return derived;
  bool forward = given == 'N' || given == 'S';
  return (part > 0) == forward ? given : 0;
}

static void set_slip_line(ImportedDatum& datum, Vec3d line) {
  TrendPlunge axis = downward_trend_plunge(line);
  datum.trend = axis.trend;
  datum.plunge = axis.plunge;
}

static bool datum_of_rake(const Measurement& m, double tolerance, ImportedDatum& datum,
                          RowFindings& findings) {
  Vec3d motion = motion_of_rake(m.dip_direction, m.dip, m.rake);
  MotionParts parts = parts_of_motion(motion, m.dip_direction, m.dip);
  char sense = sense_checked_by_rake(m.sense, parts, tolerance);
  if (sense == 0) {
    findings.errors.push_back(std::string("sense ") + m.sense + " (" + sense_word(m.sense) +
                              ") contradicts rake " + degrees_text(m.rake) + " (" +
                              sense_word(sense_of_motion(parts)) + ")");
    return false;
  }
  datum.sense = sense;
  set_slip_line(datum, motion);
  return true;
}

// A given trend and plunge: checked against the plane and projected onto it.
static bool line_in_plane(const Measurement& m, double tolerance, Vec3d& line,
                          RowFindings& findings) {
  Vec3d pole = plane_pole(m.dip_direction, m.dip);
  line = axis_vector(m.trend, m.plunge);
  double off = angle_to_plane(line, pole);
  if (off > tolerance) {
    findings.errors.push_back("slip line " + degrees_text(off) + " degrees off the plane (tolerance " +
                              degrees_text(tolerance) + ")");
    return false;
  }
  if (off >= NOTED_OFF_PLANE)
    findings.notes.push_back("slip line " + degrees_text(off) +
                             " degrees off the plane, projected onto it");
  line = projected_onto_plane(line, pole);
  return true;
}

static bool line_of_measurement(const Measurement& m, double tolerance, Vec3d& line,
                                RowFindings& findings) {
  switch (m.slip) {
    case SlipGiven::pitch:
      line = line_of_pitch(m.dip_direction, m.dip, m.end_azimuth, m.pitch);
      return true;
    case SlipGiven::trend_in_plane:
      line = line_of_trend_in_plane(m.dip_direction, m.dip, m.trend);
      return true;
    default:
      return line_in_plane(m, tolerance, line, findings);
  }
}

bool datum_of_measurement(const Measurement& m, double tolerance, ImportedDatum& datum,
                          RowFindings& findings) {
  datum = {wrap_azimuth(m.dip_direction), m.dip, 0, 0, m.sense};
  if (m.slip == SlipGiven::rake) return datum_of_rake(m, tolerance, datum, findings);
  Vec3d line;
  bool ok = line_of_measurement(m, tolerance, line, findings);
  if (m.sense == 0) {
    findings.errors.push_back("no sense of slip (give one per row, or --sense)");
    ok = false;
  }
  if (!ok) return false;
  set_slip_line(datum, line);
  return true;
}
