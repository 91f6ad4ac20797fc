// sorvel-import: reads fault-slip data in the notations geologists keep
// (RGF, tables with named columns, quadrant notation) and writes them as
// our data file, or checks one of our data files, reporting every doubtful
// row by its line number.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "import/field_text.h"
#include "import/import_run.h"
#include "shell/options.h"
#include "platform/console_window.h"

static const char* const ABOUT =
    "\n"
    "Reads the fault-slip data in INPUT and writes them to OUTPUT as a sorvel\n"
    "data file, or with --check checks FILE (by default one of our own data\n"
    "files) the same way and writes nothing.\n"
    "\n"
    "Options:\n"
    "  --format NAME          the notation of INPUT: rgf, columns, quadrant or\n"
    "                         fdt; by default recognised from the file\n"
    "  --sense LETTER         the sense (N, R, D, S or a word) of rows that give\n"
    "                         none\n"
    "  --tolerance DEG        how far a slip line may be off its plane; it is\n"
    "                         then projected onto the plane (default 10)\n"
    "  --bare-pitch-is-trend  a pitch without a strike-end letter is the\n"
    "                         slip trend\n"
    "  --bedding DD/DIP[/O]   back-tilt every datum about the strike line of\n"
    "                         this bedding (today's dip direction and dip; O for\n"
    "                         overturned) until it is horizontal; over the file's\n"
    "                         own bedding (0/0: none)\n"
    "  --paleonorth A         north at the time of faulting lay at azimuth A\n"
    "                         today: turn every datum about the vertical by -A,\n"
    "                         after the bedding; over the file's own (0: none)\n"
    "  --skip-bad             write the good rows even when some are refused\n"
    "  --overwrite            replace an existing OUTPUT\n"
    "  --check                check INPUT and write nothing\n"
    "  --help, --version\n"
    "\n"
    "Notations (header names are matched without regard to case, blanks or\n"
    "underscores; lines starting with # are comments):\n"
    "  rgf       tab-separated with a header row; striae records only; L_DIP_DIR\n"
    "            and L_DIP hold the slip trend and plunge, or a pitch and the\n"
    "            letter of the strike end it is measured from:\n"
    "              ANG_001 ... striae  151  61  80  E  N\n"
    "            bedding records back-tilt the striae of their LOCATION (an O\n"
    "            as SENSE: overturned), and PALEONORTH turns each row\n"
    "  columns   comma, semicolon or tab separated, with a header naming dip\n"
    "            direction or strike (with a dip quadrant, else right-hand rule),\n"
    "            dip, and trend and plunge, or rake (Aki-Richards, positive for\n"
    "            a reverse component), or pitch and the letter of its strike\n"
    "            end; sense as a letter or a word; a BEDDING column (DD/DIP[/O])\n"
    "            or BEDDING DIP DIRECTION and BEDDING DIP, and PALEONORTH,\n"
    "            correct each row:\n"
    "              strike,dip,rake          45,61,280\n"
    "              strike;dip;pitch;sense   045;61S;80E;normal\n"
    "  quadrant  no header: strike, dip with its quadrant, pitch with the\n"
    "            letter of its strike end, and a sense (else --sense):\n"
    "              045 61S 80E N\n"
    "  fdt       our own data file:\n"
    "              151.0 61.0 186.6 59.7 N\n"
    "\n"
    "Every refused row is reported as INPUT:LINE: what is wrong. Without\n"
    "--skip-bad any refused row means no OUTPUT. The last line of the report\n"
    "gives the number of data written and of rows refused.\n";

static const char* const EXIT_TEXT =
    "Exit status: 0 when OUTPUT is written (with --check: when FILE is clean),\n"
    "1 otherwise, 2 for a usage error.\n";

struct Arguments {
  ImportOptions options;
  bool skip_bad = false;
  bool overwrite = false;
  bool check = false;
  std::vector<std::string> files;
};

static ProgramTexts import_texts() {
  return {"sorvel-import",
          "sorvel-import [OPTIONS] INPUT OUTPUT\n"
          "       sorvel-import --check [OPTIONS] FILE",
          ABOUT, EXIT_TEXT};
}

// The options' values into `a`; the usage problem, or an empty text.
static std::string read_values(const ParsedArguments& parsed, Arguments& a) {
  const std::string* format = given_value(parsed, "--format");
  if (format != nullptr && !notation_of_name(*format, a.options.notation))
    return "unknown format " + *format + " (rgf, columns, quadrant or fdt)";
  const std::string* sense = given_value(parsed, "--sense");
  if (sense != nullptr && !sense_of_text(*sense, a.options.sense))
    return "unknown sense " + *sense + " (N, R, D or S)";
  const std::string* angle = given_value(parsed, "--tolerance");
  double& tolerance = a.options.tolerance;
  if (angle != nullptr &&
      (!parse_decimal(*angle, false, tolerance) || tolerance < 0 || tolerance >= 90))
    return "tolerance " + *angle + " is not an angle from 0 to 90";
  a.skip_bad = parsed.options.contains("--skip-bad");
  a.overwrite = parsed.options.contains("--overwrite");
  a.check = parsed.options.contains("--check");
  a.options.bare_pitch_is_trend = parsed.options.contains("--bare-pitch-is-trend");
  if (const std::string* bedding = given_value(parsed, "--bedding")) {
    Bedding b;
    if (!parse_bedding(*bedding, b))
      return "bedding " + *bedding + " is not DD/DIP or DD/DIP/O (dip 0 to 90)";
    a.options.corrections.bedding = b;
  }
  if (const std::string* north = given_value(parsed, "--paleonorth")) {
    double value;
    if (!parse_decimal(*north, false, value)) return "paleo-north " + *north + " is not an azimuth";
    a.options.corrections.paleonorth = value;
  }
  a.files = parsed.operands;
  size_t wanted = a.check ? 1 : 2;
  if (a.files.size() > wanted) return "unexpected argument " + a.files[wanted];
  if (a.files.size() < wanted) return a.check ? "missing FILE" : "missing INPUT or OUTPUT";
  return "";
}

static bool read_whole_file(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream content;
  content << in.rdbuf();
  text = content.str();
  return !in.bad();
}

static int finish(const std::string& last_line, int status) {
  std::fprintf(stderr, "sorvel-import: %s\n", last_line.c_str());
  return status;
}

static std::string counts(int written, const ImportOutcome& outcome, const std::string& to = "") {
  std::string text = std::to_string(written) + " data written" + to + ", " +
                     std::to_string(outcome.refused) + " rows refused";
  if (outcome.not_striae > 0)
    text += ", " + std::to_string(outcome.not_striae) + " records other than striae left out";
  return text;
}

static int run_check(const Arguments& a, const ImportOutcome& outcome) {
  // Our own notation is read by the analyses' reader itself, so a clean
  // file of it is one that sorvel reads as it stands.
  bool clean = outcome.readable && outcome.refused == 0;
  std::string verdict = clean ? " is clean" : " is not clean";
  std::string counted = std::to_string(outcome.data.size()) + " data good, " +
                        std::to_string(outcome.refused) + " rows refused";
  if (!outcome.readable) counted = "no datum read: " + outcome.refusal;
  return finish(a.files[0] + verdict + " (nothing written): " + counted, clean ? 0 : 1);
}

static int run_import(const Arguments& a, const ImportOutcome& outcome) {
  const std::string& output = a.files[1];
  if (!outcome.readable) return finish("no file written, no datum read: " + outcome.refusal, 1);
  if (outcome.refused > 0 && !a.skip_bad)
    return finish("no file written (--skip-bad writes the good rows): " + counts(0, outcome), 1);
  if (outcome.data.empty()) return finish("no file written, no data: " + counts(0, outcome), 1);
  switch (write_fdt_file(output, outcome.data, a.overwrite)) {
    case WriteStatus::exists:
      return finish(output + " exists (--overwrite replaces it): " + counts(0, outcome), 1);
    case WriteStatus::failed:
      return finish(output + " cannot be written: " + counts(0, outcome), 1);
    default:
      return finish(counts(static_cast<int>(outcome.data.size()), outcome, " to " + output), 0);
  }
}

int main(int argc, char** argv) {
  prepare_console();
  ProgramTexts texts = import_texts();
  ParsedArguments parsed;
  Arguments a;
  std::string problem = parse_arguments(argc, argv, IMPORT_TABLE, parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  problem = read_values(parsed, a);
  if (!problem.empty()) return usage_error(texts, problem);
  std::string text;
  if (!read_whole_file(a.files[0], text))
    return finish(a.files[0] + " cannot be read: no file written", 1);
  if (a.check && a.options.notation == Notation::unknown) a.options.notation = Notation::fdt;
  ImportOutcome outcome = import_text(a.files[0], text, a.options);
  for (const std::string& line : outcome.report) std::fprintf(stderr, "%s\n", line.c_str());
  return a.check ? run_check(a, outcome) : run_import(a, outcome);
}
