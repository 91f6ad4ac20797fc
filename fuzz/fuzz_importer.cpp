// Fuzz target: any bytes as a table of fault-slip data, imported in every
// notation (and recognised from the file name). The importer must never
// crash or hang, and every datum it accepts must be one our data file can
// hold: angles in range, a sense letter, every refusal reported.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/data_file.h"
#include "import/import_run.h"

static void check_datum(const ImportedDatum& d) {
  double dip_direction, dip, trend, plunge;
  char sense;
  std::string line = fdt_line(d);
  if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %c", &dip_direction, &dip, &trend, &plunge,
                  &sense) != 5)
    std::abort();
  if (!(dip_direction >= 0 && dip_direction < 360 && trend >= 0 && trend < 360)) std::abort();
  if (!(dip >= 0 && dip <= 90 && plunge >= 0 && plunge <= 90)) std::abort();
  if (sense == '\0' || std::strchr("NRDS", sense) == nullptr) std::abort();
}

static void check_import(const std::string& name, const std::string& text,
                         const ImportOptions& options) {
  ImportOutcome outcome = import_text(name, text, options);
  if (options.notation != Notation::unknown && outcome.notation != options.notation) std::abort();
  if (!outcome.readable && (!outcome.data.empty() || outcome.report.empty())) std::abort();
  if (outcome.refused > 0 && outcome.report.size() < static_cast<size_t>(outcome.refused))
    std::abort();
  for (const ImportedDatum& d : outcome.data) check_datum(d);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::string text(reinterpret_cast<const char*>(bytes), size);
  constexpr Notation NOTATIONS[] = {Notation::rgf, Notation::columns, Notation::quadrant,
                                    Notation::fdt};
  constexpr const char* NAMES[] = {"in.txt", "in.rgf", "in.csv", "in.fdt"};
  ImportOptions plain;
  ImportOptions other;
  other.sense = 'S';
  other.tolerance = 0.5;
  other.bare_pitch_is_trend = true;
  for (const char* name : NAMES) check_import(name, text, plain);
  for (Notation notation : NOTATIONS) {
    plain.notation = other.notation = notation;
    check_import("in.txt", text, plain);
    check_import("in.txt", text, other);
  }
  return 0;
}
