#include "import/table_corrections.h"

#include <cmath>

#include "import/field_text.h"
#include "import/slip_geometry.h"
#include "math/double_functions.h"

namespace {

// The bedding records of a site may differ by the error of measuring
// them; more than this, and they are beds of different attitudes.
const double MAX_BEDDING_SPREAD = 10.0;  // degrees

std::string lines_text(const std::vector<int>& lines) {
  std::string text = lines.size() == 1 ? "file line " : "file lines ";
  for (std::size_t i = 0; i < lines.size(); ++i)
    text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
  return text;
}

bool is_overturned_mark(const std::string& text) {
  std::string folded = folded_name(text);
  return folded == "o" || folded == "overturned";
}

// A bedding record's dip direction, dip and mark of an overturned bed.
bool bedding_of_record(const TableRow& row, const ColumnRoles& roles, Bedding& bedding,
                       std::string& error) {
  std::string dd = field_of(row, roles.dip_direction), dip = field_of(row, roles.dip);
  if (!parse_decimal(dd, false, bedding.dip_direction) || !parse_decimal(dip, false, bedding.dip) ||
      bedding.dip < 0 || bedding.dip > 90) {
    error = "bedding record " + dd + "/" + dip + " is no dip direction and dip (0 to 90)";
    return false;
  }
  bedding.dip_direction = wrap_azimuth(bedding.dip_direction);
  bedding.overturned = is_overturned_mark(field_of(row, roles.sense));
  return true;
}

Vec3d upward_pole(const Bedding& b) {
  Vec3d p = plane_pole(b.dip_direction, b.dip);
  return {-p.x, -p.y, -p.z};
}

double angle_between(Vec3d a, Vec3d b) {
  double c = dot(a, b);
  return acos_d(std::fmax(-1.0, std::fmin(1.0, c))) / DEGREE;
}

// The mean of a site's records, or an error when they disagree.
std::string mean_bedding(const std::vector<Bedding>& records, Bedding& mean) {
  // The poles as axes: a vertical bed's upward pole could be either end.
  Vec3d sum{0, 0, 0}, first = upward_pole(records[0]);
  for (const Bedding& b : records) {
    Vec3d u = upward_pole(b);
    double side = dot(u, first) < 0 ? -1.0 : 1.0;
    sum = {sum.x + side * u.x, sum.y + side * u.y, sum.z + side * u.z};
  }
  double length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
  Vec3d u{sum.x / length, sum.y / length, sum.z / length};
  TrendPlunge down = downward_trend_plunge(Vec3d{-u.x, -u.y, -u.z});
  mean = {wrap_azimuth(down.trend + 180.0), 90.0 - down.plunge, records[0].overturned};
  for (const Bedding& b : records) {
    if (b.overturned != mean.overturned) return "its bedding records are overturned and not";
    Vec3d pole = upward_pole(b);
    if (std::fmin(angle_between(pole, u), 180.0 - angle_between(pole, u)) > MAX_BEDDING_SPREAD)
      return "its bedding records differ by more than " + degrees_text(MAX_BEDDING_SPREAD) +
             " degrees";
  }
  return "";
}

std::string kind_of_row(const TableRow& row, const ColumnRoles& roles, const std::string& above) {
  std::string text = field_of(row, roles.datatype);
  return text.empty() ? above : folded_name(text);
}

// A number of a correction column; true with nothing when it is blank.
bool optional_number(const TableRow& row, int column, std::optional<double>& value) {
  std::string text = field_of(row, column);
  value.reset();
  if (text.empty()) return true;
  double number;
  if (!parse_decimal(text, false, number)) return false;
  value = number;
  return true;
}

// The row's own bedding columns; false with `error` when they cannot be read.
bool bedding_of_columns(const TableRow& row, const ColumnRoles& roles,
                        std::optional<Bedding>& bedding, std::string& error) {
  bedding.reset();
  std::string text = field_of(row, roles.bedding);
  if (!text.empty()) {
    Bedding b;
    if (!parse_bedding(text, b)) {
      error = "bedding " + text + " is not DD/DIP or DD/DIP/O (dip 0 to 90)";
      return false;
    }
    bedding = b;
    return true;
  }
  std::optional<double> dd, dip;
  if (!optional_number(row, roles.bedding_dip_direction, dd) ||
      !optional_number(row, roles.bedding_dip, dip) || dd.has_value() != dip.has_value() ||
      (dip && (*dip < 0 || *dip > 90))) {
    error = "the bedding dip direction and dip are not two numbers (dip 0 to 90)";
    return false;
  }
  if (dd) bedding = Bedding{wrap_azimuth(*dd), *dip, false};
  return true;
}

std::string tilt_words(const Bedding& b) {
  if (!b.overturned) return " data back-tilted about its strike line by " + degrees_text(b.dip) + " degrees";
  return " data back-tilted about its strike line by " + degrees_text(180.0 + b.dip) +
         " degrees (overturned: 180 plus the dip)";
}

void count(CorrectionTally& tally, const std::string& head, const std::string& tail) {
  for (TallyEntry& entry : tally.entries) {
    if (entry.head == head && entry.tail == tail) {
      ++entry.count;
      return;
    }
  }
  tally.entries.push_back({head, tail, 1});
}

}  // namespace

std::string site_of_row(const TableRow& row, const ColumnRoles& roles, const std::string& above) {
  std::string text = field_of(row, roles.location);
  return text.empty() ? above : text;
}

std::vector<std::string> read_site_beddings(const Table& table, const ColumnRoles& roles,
                                            SiteBeddings& sites) {
  std::vector<std::string> problems;
  std::map<std::string, std::vector<Bedding>> records;
  std::string kind, site;
  sites.clear();
  for (std::size_t i = 1; i < table.rows.size() && roles.datatype >= 0; ++i) {
    const TableRow& row = table.rows[i];
    kind = kind_of_row(row, roles, kind);
    site = site_of_row(row, roles, site);
    if (kind != "bedding") continue;
    Bedding b;
    std::string error;
    if (!bedding_of_record(row, roles, b, error)) {
      problems.push_back(std::to_string(row.line) + ": " + error);
      continue;
    }
    records[site].push_back(b);
    sites[site].lines.push_back(row.line);
  }
  for (auto& [name, list] : records) {
    std::string disagreement = mean_bedding(list, sites[name].bedding);
    if (!disagreement.empty())
      problems.push_back(": site " + (name.empty() ? std::string("without a name") : name) +
                         ": " + disagreement + " (" + lines_text(sites[name].lines) +
                         "); give the bedding with --bedding");
  }
  return problems;
}

bool correction_of_row(const TableRow& row, const ColumnRoles& roles, const std::string& site,
                       const SiteBeddings& sites, const FieldCorrection& given,
                       RowCorrection& correction, std::string& error) {
  correction = RowCorrection();
  FieldCorrection& c = correction.correction;
  if (given.bedding) {
    c.bedding = given.bedding, correction.bedding_from = "--bedding";
  } else {
    if (!bedding_of_columns(row, roles, c.bedding, error)) return false;
    if (c.bedding) {
      correction.bedding_from = "bedding column";
    } else if (auto found = sites.find(site); found != sites.end()) {
      c.bedding = found->second.bedding;
      correction.bedding_from = (site.empty() ? std::string("the file's bedding records")
                                              : "site " + site + "'s bedding records") +
                                ", " + lines_text(found->second.lines) +
                                (found->second.lines.size() > 1 ? ", their mean" : "");
    }
  }
  if (given.paleonorth) {
    c.paleonorth = given.paleonorth, correction.paleonorth_from = "--paleonorth";
  } else if (!optional_number(row, roles.paleonorth, c.paleonorth)) {
    error = "paleo-north " + field_of(row, roles.paleonorth) + " is not a number";
    return false;
  } else if (c.paleonorth) {
    correction.paleonorth_from =
        "PALEONORTH column, read as the azimuth today of north at the time of faulting";
  }
  // A horizontal bedding or a paleo-north of 0 changes nothing: none to report.
  if (c.bedding && c.bedding->dip == 0 && !c.bedding->overturned) c.bedding.reset();
  if (c.paleonorth && wrap_azimuth(*c.paleonorth) == 0) c.paleonorth.reset();
  return true;
}

void apply_correction(const RowCorrection& correction, ImportedDatum& datum,
                      CorrectionTally& tally) {
  const FieldCorrection& c = correction.correction;
  if (!c.bedding && !c.paleonorth) return;  // left as written: no end turned
  datum = corrected_datum(datum, c);
  if (c.bedding)
    count(tally, "bedding " + bedding_text(*c.bedding) + " (" + correction.bedding_from + "): ",
          tilt_words(*c.bedding));
  if (c.paleonorth)
    count(tally, "paleo-north " + degrees_text(*c.paleonorth) + " (" +
                     correction.paleonorth_from + "): ",
          " data turned about the vertical by " + degrees_text(-*c.paleonorth) + " degrees");
}

std::vector<std::string> correction_lines(const CorrectionTally& tally) {
  std::vector<std::string> lines;
  for (const TallyEntry& e : tally.entries)
    lines.push_back(e.head + std::to_string(e.count) + e.tail);
  return lines;
}
