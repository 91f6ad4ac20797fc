#include "import/import_run.h"

#include <cstdio>

#include "common/free_format.h"
#include "data/data_file.h"
#include "import/field_text.h"

namespace {

void report_line(ImportOutcome& outcome, const std::string& name, int line,
                 const std::string& message) {
  outcome.report.push_back(name + ":" + std::to_string(line) + ": " + message);
}

void refuse(ImportOutcome& outcome, const std::string& message) {
  outcome.readable = false;
  outcome.report.push_back(message);
}

// RGF: a blank kind of record repeats the one above; only striae are data.
bool is_stria(const TableRow& row, int column, std::string& kind) {
  const std::string& text = field_of(row, column);
  if (!text.empty()) kind = folded_name(text);
  return column < 0 || kind == "striae" || kind == "stria";
}

RowRules rules_of(const ImportOptions& options, Notation notation, const Table& table) {
  RowRules rules;
  rules.decimal_comma = table.delimiter == ';';
  rules.bare_pitch_is_trend = options.bare_pitch_is_trend;
  rules.letter_plunge_means_pitch = notation == Notation::rgf;
  rules.downward_end_only = notation == Notation::fdt;
  rules.default_sense = options.sense;
  return rules;
}

void import_row(const std::string& name, const TableRow& row, const ColumnRoles& roles,
                const RowRules& rules, double tolerance, ImportOutcome& outcome) {
  Measurement m;
  RowFindings findings;
  ImportedDatum datum;
  bool ok = measurement_of_row(row, roles, rules, m, findings.errors) &&
            datum_of_measurement(m, tolerance, datum, findings);
  for (const std::string& e : findings.errors) report_line(outcome, name, row.line, e);
  for (const std::string& n : findings.notes) report_line(outcome, name, row.line, n);
  if (ok)
    outcome.data.push_back(datum);
  else
    ++outcome.refused;
}

// A value as the row's text: enough digits that the row reads back as
// the reader's single-precision value, none that the reader did not see.
std::string field_text(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
  return text;
}

// Our own notation is read by the reader of the analyses themselves, so
// that a file the importer takes is one that sorvel reads, and the other
// way round; each datum then passes the checks of every other notation.
void import_fdt(const std::string& name, const std::string& text, const ImportOptions& options,
                ImportOutcome& outcome) {
  // The analyses skip a byte-order mark at the start of a data file.
  const bool bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
  StringLineSource source(bom ? text.substr(3) : text);
  FaultSet set;
  std::vector<int32_t> lines;
  if (StageResult error = read_fault_data(source, set, &lines)) {
    std::string ordinal = error->line ? " " + std::to_string(*error->line) : "";
    refuse(outcome, name + ": " + error->message + ordinal);
    return;
  }
  Table table;
  RowRules rules = rules_of(options, Notation::fdt, table);
  ColumnRoles roles;
  std::string ignored;
  roles_of_table(Notation::fdt, table, roles, ignored);
  for (std::size_t i = 0; i < set.data.size(); ++i) {
    const FaultDatum& d = set.data[i];
    TableRow row;
    row.line = lines[i];
    row.fields = {field_text(d.dip_direction), field_text(d.dip_angle),
                  field_text(d.slip_azimuth), field_text(d.slip_plunge), std::string(1, d.sense)};
    import_row(name, row, roles, rules, options.tolerance, outcome);
  }
}

}  // namespace

ImportOutcome import_text(const std::string& name, const std::string& text,
                          const ImportOptions& options) {
  ImportOutcome outcome;
  Table table = read_table(text);
  outcome.notation = options.notation != Notation::unknown ? options.notation
                                                           : detect_notation(name, table);
  if (outcome.notation == Notation::unknown) {
    refuse(outcome, name + ": the notation cannot be recognised; name it with --format");
    return outcome;
  }
  if (outcome.notation == Notation::fdt) {
    import_fdt(name, text, options, outcome);
    return outcome;
  }
  ColumnRoles roles;
  std::string error;
  if (!roles_of_table(outcome.notation, table, roles, error)) {
    refuse(outcome, name + ": " + error);
    return outcome;
  }
  RowRules rules = rules_of(options, outcome.notation, table);
  std::string kind;
  for (size_t i = has_header(outcome.notation) ? 1 : 0; i < table.rows.size(); ++i) {
    if (is_stria(table.rows[i], roles.datatype, kind))
      import_row(name, table.rows[i], roles, rules, options.tolerance, outcome);
    else
      ++outcome.not_striae;
  }
  return outcome;
}
