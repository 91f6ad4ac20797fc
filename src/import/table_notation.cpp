#include "import/table_notation.h"

#include "import/field_text.h"

namespace {

struct NamedRole {
  const char* name;  // folded: lower case, no blanks, underscores or hyphens
  int ColumnRoles::*role;
};

const NamedRole HEADER_NAMES[] = {
    {"dipdir", &ColumnRoles::dip_direction},     {"dipdirection", &ColumnRoles::dip_direction},
    {"dipazimuth", &ColumnRoles::dip_direction}, {"strike", &ColumnRoles::strike},
    {"rhrstrike", &ColumnRoles::strike},         {"strikerhr", &ColumnRoles::strike},
    {"dip", &ColumnRoles::dip},                  {"dipangle", &ColumnRoles::dip},
    {"dipquadrant", &ColumnRoles::quadrant},     {"quadrant", &ColumnRoles::quadrant},
    {"trend", &ColumnRoles::trend},              {"sliptrend", &ColumnRoles::trend},
    {"slipazimuth", &ColumnRoles::trend},        {"striaetrend", &ColumnRoles::trend},
    {"lineationtrend", &ColumnRoles::trend},     {"ldipdir", &ColumnRoles::trend},
    {"plunge", &ColumnRoles::plunge},            {"slipplunge", &ColumnRoles::plunge},
    {"striaeplunge", &ColumnRoles::plunge},      {"lineationplunge", &ColumnRoles::plunge},
    {"ldip", &ColumnRoles::plunge},              {"rake", &ColumnRoles::rake},
    {"pitch", &ColumnRoles::pitch},              {"direction", &ColumnRoles::end_letter},
    {"pitchdirection", &ColumnRoles::end_letter}, {"rakedirection", &ColumnRoles::end_letter},
    {"pitchquadrant", &ColumnRoles::end_letter}, {"strikeend", &ColumnRoles::end_letter},
    {"sense", &ColumnRoles::sense},              {"senseofslip", &ColumnRoles::sense},
    {"slipsense", &ColumnRoles::sense},          {"datatype", &ColumnRoles::datatype},
    {"location", &ColumnRoles::location},        {"site", &ColumnRoles::location},
    {"paleonorth", &ColumnRoles::paleonorth},    {"bedding", &ColumnRoles::bedding},
    {"beddingdipdir", &ColumnRoles::bedding_dip_direction},
    {"beddingdipdirection", &ColumnRoles::bedding_dip_direction},
    {"beddingdip", &ColumnRoles::bedding_dip},
};

// What each role is called where the names are listed, in the order of
// the list.
struct RoleLabel {
  int ColumnRoles::*role;
  const char* label;
};

const RoleLabel ROLE_LABELS[] = {
    {&ColumnRoles::dip_direction, "dip direction"},
    {&ColumnRoles::strike, "strike (right-hand rule, or with a dip quadrant)"},
    {&ColumnRoles::dip, "dip"},
    {&ColumnRoles::quadrant, "dip quadrant"},
    {&ColumnRoles::trend, "slip trend"},
    {&ColumnRoles::plunge, "slip plunge"},
    {&ColumnRoles::rake, "rake"},
    {&ColumnRoles::pitch, "pitch"},
    {&ColumnRoles::end_letter, "strike end of the pitch"},
    {&ColumnRoles::sense, "sense"},
    {&ColumnRoles::datatype, "kind of record (RGF)"},
    {&ColumnRoles::location, "site"},
    {&ColumnRoles::bedding, "bedding as DD/DIP[/O]"},
    {&ColumnRoles::bedding_dip_direction, "bedding dip direction"},
    {&ColumnRoles::bedding_dip, "bedding dip"},
    {&ColumnRoles::paleonorth, "paleo-north"},
};

const NamedRole* role_of_name(const std::string& header) {
  std::string folded = folded_name(header);
  for (const NamedRole& named : HEADER_NAMES) {
    if (folded == named.name) return &named;
  }
  return nullptr;
}

std::string extension_of(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return folded_name(path.substr(dot + 1));
}

bool is_number(const std::string& text) {
  double ignored;
  return parse_decimal(text, false, ignored) || parse_decimal(text, true, ignored);
}

bool looks_like_fdt(const TableRow& row) {
  char sense;
  if (row.fields.size() < 5 || !sense_of_text(row.fields[4], sense)) return false;
  for (int i = 0; i < 4; ++i) {
    if (!is_number(row.fields[i])) return false;
  }
  return true;
}

bool looks_like_quadrant(const TableRow& row) {
  if (row.fields.size() < 3 || !is_number(row.fields[0])) return false;
  NumberAndLetters dip = split_trailing_letters(row.fields[1]);
  return is_number(dip.number) && is_compass_text(dip.letters);
}

// A column that holds compass letters in any data row.
bool holds_letters(const Table& table, int column) {
  for (size_t i = 1; i < table.rows.size(); ++i) {
    if (is_compass_text(field_of(table.rows[i], column))) return true;
  }
  return false;
}

ColumnRoles roles_of_header(const Table& table) {
  ColumnRoles roles;
  const TableRow& header = table.rows[0];
  for (size_t i = 0; i < header.fields.size(); ++i) {
    const NamedRole* named = role_of_name(header.fields[i]);
    if (named != nullptr && roles.*(named->role) < 0) roles.*(named->role) = static_cast<int>(i);
  }
  // Some programs write the dip quadrant under "dip direction", and a pitch
  // with its end letter under "rake".
  if (roles.dip_direction >= 0 && roles.strike >= 0 && holds_letters(table, roles.dip_direction)) {
    roles.quadrant = roles.dip_direction;
    roles.dip_direction = -1;
  }
  if (roles.rake >= 0 && roles.end_letter >= 0) {
    roles.pitch = roles.rake;
    roles.rake = -1;
  }
  return roles;
}

const char* missing_column(const ColumnRoles& r) {
  if (r.dip_direction < 0 && r.strike < 0) return "a dip direction or strike";
  if (r.dip < 0) return "a dip";
  if (r.trend >= 0 && r.plunge < 0) return "a plunge to go with the trend";
  if (r.trend < 0 && r.rake < 0 && r.pitch < 0) return "a slip trend and plunge, a rake or a pitch";
  return nullptr;
}

}  // namespace

bool notation_of_name(const std::string& name, Notation& notation) {
  for (Notation n : {Notation::rgf, Notation::columns, Notation::quadrant, Notation::fdt}) {
    if (folded_name(name) == notation_name(n)) {
      notation = n;
      return true;
    }
  }
  return false;
}

const char* notation_name(Notation notation) {
  switch (notation) {
    case Notation::rgf: return "rgf";
    case Notation::columns: return "columns";
    case Notation::quadrant: return "quadrant";
    case Notation::fdt: return "fdt";
    default: return "unknown";
  }
}

Notation detect_notation(const std::string& path, const Table& table) {
  if (extension_of(path) == "rgf") return Notation::rgf;
  if (table.rows.empty()) return Notation::unknown;
  const TableRow& first = table.rows[0];
  ColumnRoles roles = roles_of_header(table);
  if (roles.datatype >= 0 && roles.dip_direction >= 0) return Notation::rgf;
  for (const std::string& field : first.fields) {
    if (role_of_name(field) != nullptr) return Notation::columns;
  }
  if (looks_like_fdt(first)) return Notation::fdt;
  if (looks_like_quadrant(first)) return Notation::quadrant;
  return Notation::unknown;
}

std::vector<std::string> known_header_lines() {
  std::vector<std::string> lines = {
      "  header names known (case, blanks, underscores and hyphens aside):"};
  for (const RoleLabel& label : ROLE_LABELS) {
    std::string names;
    for (const NamedRole& named : HEADER_NAMES) {
      if (named.role == label.role) names += (names.empty() ? "" : ", ") + std::string(named.name);
    }
    lines.push_back("    " + std::string(label.label) + ": " + names);
  }
  return lines;
}

bool has_header(Notation notation) {
  return notation == Notation::rgf || notation == Notation::columns;
}

bool roles_of_table(Notation notation, const Table& table, ColumnRoles& roles, std::string& error) {
  roles = ColumnRoles();
  if (notation == Notation::quadrant) {
    roles.strike = 0, roles.dip = 1, roles.pitch = 2, roles.sense = 3;
  } else if (notation == Notation::fdt) {
    roles.dip_direction = 0, roles.dip = 1, roles.trend = 2, roles.plunge = 3, roles.sense = 4;
  } else if (!table.rows.empty()) {
    roles = roles_of_header(table);
  }
  const char* missing = missing_column(roles);
  if (missing == nullptr) return true;
  error = std::string("the header names no column of ") + missing;
  return false;
}
