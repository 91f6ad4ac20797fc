// sorvel-import: reads fault-slip data in the notations geologists keep
// (RGF, tables with named columns, quadrant notation) and writes them as
// our data file, or checks one of our data files, reporting every doubtful
// row by its line number.
#include <cstdio>
#include <optional>
#include <string>

#include "import/field_text.h"
#include "platform/console_window.h"
#include "runners/import_runner.h"
#include "shell/options.h"

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

static ProgramTexts import_texts() {
  return {"sorvel-import",
          "sorvel-import [OPTIONS] INPUT OUTPUT\n"
          "       sorvel-import --check [OPTIONS] FILE",
          ABOUT, EXIT_TEXT};
}

// The options' values into `a`; the usage problem, or an empty text.
static std::string read_values(const ParsedArguments& parsed, ImportRequest& a) {
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

int main(int argc, char** argv) {
  prepare_console();
  ProgramTexts texts = import_texts();
  ParsedArguments parsed;
  ImportRequest a;
  std::string problem = parse_arguments(argc, argv, IMPORT_TABLE, parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  problem = read_values(parsed, a);
  if (!problem.empty()) return usage_error(texts, problem);
  ImportVerdict verdict = import_run(a);
  for (const std::string& line : verdict.report) std::fprintf(stderr, "%s\n", line.c_str());
  std::fprintf(stderr, "sorvel-import: %s\n", verdict.last_line.c_str());
  return verdict.status;
}
