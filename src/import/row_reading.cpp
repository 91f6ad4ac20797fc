#include "import/row_reading.h"

#include <cmath>

#include "import/field_text.h"
#include "import/slip_geometry.h"

namespace {

// The row being read, its rules and the errors found so far.
struct RowContext {
  const TableRow& row;
  const ColumnRoles& roles;
  const RowRules& rules;
  std::vector<std::string>& errors;
  bool plane_known = false;  // the dip direction is read, so strike ends are known
};

bool number_in_range(RowContext& c, const std::string& text, const char* name, double low,
                     double high, double& value) {
  if (text.empty()) {
    c.errors.push_back(std::string("no ") + name);
    return false;
  }
  if (!parse_decimal(text, c.rules.decimal_comma, value)) {
    c.errors.push_back(std::string(name) + " '" + text + "' is not a number");
    return false;
  }
  if (value < low || value > high) {
    c.errors.push_back(std::string(name) + " " + text + " is out of range (" + degrees_text(low) +
                       " to " + degrees_text(high) + ")");
    return false;
  }
  return true;
}

bool letter_azimuth(RowContext& c, const std::string& letters, const char* name, double& azimuth) {
  if (compass_azimuth(letters, azimuth)) return true;
  c.errors.push_back(std::string(name) + " '" + letters + "' is not a compass letter");
  return false;
}

bool quadrant_dip_direction(RowContext& c, double strike, const std::string& letters,
                            double& dip_direction) {
  double azimuth;
  if (!letter_azimuth(c, letters, "dip quadrant", azimuth)) return false;
  if (side_of_letter(strike + 90.0, azimuth, dip_direction)) return true;
  c.errors.push_back("dip quadrant " + letters + " cannot be on the dip side of strike " +
                     degrees_text(strike));
  return false;
}

bool read_dip_direction(RowContext& c, const std::string& letters, Measurement& m) {
  if (c.roles.dip_direction >= 0) {
    if (!letters.empty()) {
      c.errors.push_back("dip quadrant " + letters + " goes with a strike, not a dip direction");
      return false;
    }
    return number_in_range(c, field_of(c.row, c.roles.dip_direction), "dip direction", 0, 360,
                           m.dip_direction);
  }
  double strike;
  if (!number_in_range(c, field_of(c.row, c.roles.strike), "strike", 0, 360, strike)) return false;
  if (letters.empty()) {
    m.dip_direction = wrap_azimuth(strike + 90.0);  // right-hand rule
    return true;
  }
  return quadrant_dip_direction(c, strike, letters, m.dip_direction);
}

bool read_plane(RowContext& c, Measurement& m) {
  NumberAndLetters dip = split_trailing_letters(field_of(c.row, c.roles.dip));
  const std::string& column = field_of(c.row, c.roles.quadrant);
  std::string letters = column.empty() ? dip.letters : column;
  bool ok = number_in_range(c, dip.number, "dip", 0, 90, m.dip);
  return read_dip_direction(c, letters, m) && ok;
}

bool pitch_end(RowContext& c, const std::string& letters, Measurement& m) {
  double azimuth;
  if (!letter_azimuth(c, letters, "pitch letter", azimuth) || !c.plane_known) return false;
  if (side_of_letter(m.dip_direction + 90.0, azimuth, m.end_azimuth)) return true;
  double one = wrap_azimuth(m.dip_direction + 90.0), other = wrap_azimuth(m.dip_direction - 90.0);
  c.errors.push_back("pitch letter " + letters + " names neither end of the strike line " +
                     degrees_text(std::fmin(one, other)) + "/" + degrees_text(std::fmax(one, other)));
  return false;
}

bool read_pitch(RowContext& c, const std::string& pitch, const std::string& letters,
                Measurement& m) {
  if (pitch.empty()) return number_in_range(c, pitch, "pitch", 0, 90, m.pitch);
  if (letters.empty() && c.rules.bare_pitch_is_trend) {
    m.slip = SlipGiven::trend_in_plane;
    return number_in_range(c, pitch, "slip trend", 0, 360, m.trend);
  }
  if (letters.empty()) {
    c.errors.push_back("pitch " + pitch +
                       " names no strike end (if it is the slip trend, give --bare-pitch-is-trend)");
    return false;
  }
  m.slip = SlipGiven::pitch;
  bool ok = number_in_range(c, pitch, "pitch", 0, 90, m.pitch);
  return pitch_end(c, letters, m) && ok;
}

bool read_line(RowContext& c, Measurement& m) {
  const std::string& trend = field_of(c.row, c.roles.trend);
  const std::string& plunge = field_of(c.row, c.roles.plunge);
  if (c.rules.letter_plunge_means_pitch && is_compass_text(plunge))
    return read_pitch(c, trend, plunge, m);
  m.slip = SlipGiven::line;
  bool ok = number_in_range(c, trend, "slip trend", 0, 360, m.trend);
  double lowest = c.rules.downward_end_only ? 0 : -90;
  return number_in_range(c, plunge, "slip plunge", lowest, 90, m.plunge) && ok;
}

bool read_slip(RowContext& c, Measurement& m) {
  if (c.roles.trend >= 0) return read_line(c, m);
  if (c.roles.rake >= 0) {
    m.slip = SlipGiven::rake;
    return number_in_range(c, field_of(c.row, c.roles.rake), "rake", -180, 360, m.rake);
  }
  NumberAndLetters pitch = split_trailing_letters(field_of(c.row, c.roles.pitch));
  const std::string& column = field_of(c.row, c.roles.end_letter);
  return read_pitch(c, pitch.number, column.empty() ? pitch.letters : column, m);
}

bool read_sense(RowContext& c, Measurement& m) {
  const std::string& text = field_of(c.row, c.roles.sense);
  m.sense = c.rules.default_sense;
  if (text.empty() || sense_of_text(text, m.sense)) return true;
  c.errors.push_back("unknown sense '" + text + "'");
  return false;
}

}  // namespace

bool measurement_of_row(const TableRow& row, const ColumnRoles& roles, const RowRules& rules,
                        Measurement& m, std::vector<std::string>& errors) {
  RowContext c{row, roles, rules, errors};
  m = Measurement();
  bool sense_ok = read_sense(c, m);
  c.plane_known = read_plane(c, m);
  bool slip_ok = read_slip(c, m);
  return c.plane_known && slip_ok && sense_ok;
}
