#include "import/import_run.h"

#include <cstdio>

#include "common/free_format.h"
#include "data/data_file.h"
#include "import/field_text.h"
#include "import/table_corrections.h"
#include "import/text_encoding.h"

namespace {

void report_line(ImportOutcome& outcome, const std::string& name, int line,
                 const std::string& message) {
  outcome.report.push_back(name + ":" + std::to_string(line) + ": " + message);
}

void refuse(ImportOutcome& outcome, const std::string& message) {
  if (outcome.readable) outcome.refusal = message.substr(message.find(": ") + 2);
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

bool import_row(const std::string& name, const TableRow& row, const ColumnRoles& roles,
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
  return ok;
}

// The lines that say what the corrections did, after the rows' own.
void report_corrections(const std::string& name, const CorrectionTally& tally,
                        ImportOutcome& outcome) {
  for (const std::string& line : correction_lines(tally)) outcome.report.push_back(name + ": " + line);
}

// The rows of a table with a header or of quadrant columns, each datum
// corrected as its row, its site or the command line asks.
void import_rows(const std::string& name, const Table& table, const ColumnRoles& roles,
                 const ImportOptions& options, ImportOutcome& outcome) {
  SiteBeddings sites;
  std::vector<std::string> problems = read_site_beddings(table, roles, sites);
  if (!problems.empty() && !options.corrections.bedding) {
    for (const std::string& problem : problems) refuse(outcome, name + ":" + problem);
    return;
  }
  RowRules rules = rules_of(options, outcome.notation, table);
  std::string kind, site;
  CorrectionTally tally;
  for (size_t i = has_header(outcome.notation) ? 1 : 0; i < table.rows.size(); ++i) {
    const TableRow& row = table.rows[i];
    site = site_of_row(row, roles, site);
    if (!is_stria(row, roles.datatype, kind)) {
      if (kind != "bedding") ++outcome.not_striae;
      continue;
    }
    RowCorrection correction;
    std::string error;
    if (!correction_of_row(row, roles, site, sites, options.corrections, correction, error)) {
      report_line(outcome, name, row.line, error);
      ++outcome.refused;
    } else if (import_row(name, row, roles, rules, options.tolerance, outcome)) {
      apply_correction(correction, outcome.data.back(), tally);
    }
  }
  report_corrections(name, tally, outcome);
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
    refuse(outcome, name + ": " + error->message + ordinal +
                        (error->detail.empty() ? "" : ": " + error->detail));
    return;
  }
  Table table;
  RowRules rules = rules_of(options, Notation::fdt, table);
  ColumnRoles roles;
  std::string ignored;
  roles_of_table(Notation::fdt, table, roles, ignored);
  CorrectionTally tally;
  RowCorrection correction;
  std::string unused;
  correction_of_row(TableRow{}, roles, "", SiteBeddings(), options.corrections, correction, unused);
  for (std::size_t i = 0; i < set.data.size(); ++i) {
    const FaultDatum& d = set.data[i];
    TableRow row;
    row.line = lines[i];
    row.fields = {field_text(d.dip_direction), field_text(d.dip_angle),
                  field_text(d.slip_azimuth), field_text(d.slip_plunge), std::string(1, d.sense)};
    if (import_row(name, row, roles, rules, options.tolerance, outcome))
      apply_correction(correction, outcome.data.back(), tally);
  }
  report_corrections(name, tally, outcome);
}

}  // namespace

ImportOutcome import_text(const std::string& name, const std::string& bytes,
                          const ImportOptions& options) {
  ImportOutcome outcome;
  outcome.notation = options.notation;  // as named, even for a file refused unread
  std::string text;
  TextEncoding encoding = as_utf8(bytes, text);
  if (encoding == TextEncoding::bad_utf16) {
    refuse(outcome, name + ": UTF-16 text cut inside a character: save it as UTF-8");
    return outcome;
  }
  if (encoding == TextEncoding::utf16) outcome.report.push_back(name + ": read as UTF-16 text");
  Table table = read_table(text);
  if (outcome.notation == Notation::unknown) outcome.notation = detect_notation(name, table);
  if (outcome.notation == Notation::unknown) {
    refuse(outcome, name + ": the notation cannot be recognised; name it with --format, or name "
                           "the columns in a header row");
    for (const std::string& line : known_header_lines()) outcome.report.push_back(line);
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
    if (has_header(outcome.notation))
      for (const std::string& line : known_header_lines()) outcome.report.push_back(line);
    return outcome;
  }
  import_rows(name, table, roles, options, outcome);
  return outcome;
}
