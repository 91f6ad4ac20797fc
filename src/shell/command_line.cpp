#include "shell/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <cctype>

#include "common/site.h"
#include "common/threads.h"
#include "confidence/bootstrap.h"
#include "data/data_checks.h"
#include "data/data_file.h"
#include "formats/population_report_file.h"
#include "formats/state_text.h"
#include "formats/run_report_file.h"
#include "shell/console.h"
#include "shell/error_reporter.h"
#include "shell/file_chooser.h"
#include "shell/program_info.h"

std::optional<int8_t> parse_subset_size(std::string_view text) {
  if (text.size() == 1 && text[0] >= '2' && text[0] <= '8')
    return static_cast<int8_t>(text[0] - '0');
  return std::nullopt;
}

// ---- the analysis programs ----

const OptionTable& option_table(const CommandLineProgram& program) {
  if (program.takes_subset_size) return MIM_TABLE;
  return program.takes_confidence ? CDM_TABLE : CDM_CIM_TABLE;
}

static const char* const CONFIDENCE_USAGE =
    " [--bootstrap B] [--seed S] [--report FILE.json|FILE.csv] [--picture FILE.svg]"
    " [--site NAME] [--lat DEG --lon DEG]";
static const char* const REFINE_USAGE = " [--refine on|off]";
static const char* const POPULATION_USAGE =
    " [--separation DEG] [--min-votes SHARE] [--fit DEG] [--populations N] [--split PREFIX]";

static std::string population_help() {
  char text[1200];
  std::snprintf(
      text, sizeof text,
      "After the results file the data are separated into populations; each must\n"
      "explain on its own (a misfit under --fit where no other state fits) at\n"
      "least 8 data, or 5 %% of the data when that is more:\n"
      "  --separation DEG  merge states closer than DEG degrees of stress\n"
      "                difference (default %g)\n"
      "  --min-votes SHARE  drop populations with less than SHARE (0 to 1) of the\n"
      "                most-voted population's votes (default %g)\n"
      "  --fit DEG     a datum fits a state when its misfit is below DEG degrees\n"
      "                (default %g)\n"
      "  --populations N  keep N populations, 1 to 8, instead of the rule\n"
      "  --split PREFIX  write each population's data to PREFIX1.fdt, PREFIX2.fdt,\n"
      "                ..., and the data of none to PREFIX0.fdt\n",
      DEFAULT_SEPARATION_OPTIONS.separation, DEFAULT_SEPARATION_OPTIONS.min_votes,
      DEFAULT_SEPARATION_OPTIONS.fit_limit);
  return text;
}

static std::string confidence_help(bool populations) {
  return "  --bootstrap B  resamples of the data for the 95 % confidence, 0 to " +
         std::to_string(MAX_RESAMPLES) + "\n"
         "                (default " + std::to_string(DEFAULT_RESAMPLES) +
         "; 0 turns the bootstrap off; none below " + std::to_string(MIN_BOOTSTRAP_DATA) +
         " data)\n"
         "  --seed S       seed of the resamples, a whole number (default " +
         std::to_string(DEFAULT_SEED) + ")\n" +
         (populations
              ? "  --report FILE  the report for scripts: FILE.json one JSON object, FILE.csv a\n"
                "                header and one row a population, appended to a file with the\n"
                "                same header; the bootstrap is of each population's data\n"
                "  --picture FILE.svg  the stereonet of the populations with their confidence\n"
              : "  --report FILE  the report for scripts: FILE.json one JSON object, FILE.csv a\n"
                "                header and one row, appended to a file with the same header\n"
                "  --picture FILE.svg  the stereonet of the best state with its confidence\n") +
         (populations ? "  --refine on|off  each population's state and its resamples' refined\n"
                        "                beyond the grid's spacing, reported beside the grid's\n"
                        "                (default on)\n"
                      : "  --refine on|off  the best state and each resample's refined beyond the\n"
                        "                grid's spacing, to a tenth of a degree, reported beside the\n"
                        "                grid's (default on)\n") +
         std::string("  --site NAME    the site's name in the report (default: DATA's name without\n"
                     "                its folder and extension)\n"
         "  --lat DEG, --lon DEG  the site's position in the report, WGS 84 decimal\n"
         "                degrees (latitude -90 to 90, longitude -180 to 180; both or\n"
         "                neither); sorvel-map turns reports into maps\n");
}

static ProgramTexts analysis_texts(const CommandLineProgram& program,
                                   const std::string& extension) {
  std::string name = program.name;
  std::string k = program.takes_subset_size ? " --k K" : "";
  // One line, as a usage error prints it after its message.
  std::string usage = name + " --weight N" + k + (program.takes_confidence ? CONFIDENCE_USAGE : "") +
                      (program.takes_confidence ? REFINE_USAGE : "") +
                      (program.takes_subset_size ? POPULATION_USAGE : "") +
                      " [--strict] [--overwrite] [--quiet] [--threads N] DATA [RESULTS]";
  std::string about =
      std::string(program.purpose) + "Without arguments " + name +
      " asks its questions at the console instead.\n\n"
      "  --weight N    the weight function: 1 or cosine, 2 or linear, 3 or tangent,\n"
      "                4 or hyperbolic-tangent (required)\n";
  if (program.takes_subset_size) about += "  --k K         the subset size, 2 to 8 (required)\n";
  if (program.takes_confidence) about += confidence_help(program.takes_subset_size);
  if (program.takes_subset_size) about += population_help();
  about +=
      "  --strict      refuse a data file with warnings: exit status 1, no RESULTS\n"
      "  --overwrite   replace an existing RESULTS file" +
      std::string(program.takes_subset_size ? "\n                (and report, picture or split files)"
                 : program.takes_confidence ? " (and report or picture)" : "") + "\n"
      "  --quiet       leave out the progress lines (the summary line stays)\n"
      "  --threads N   threads to use, 1 to 1024 (default: SORVEL_THREADS, or every\n"
      "                hardware thread)\n"
      "  --help, --version\n"
      "RESULTS is DATA with the extension " +
      extension +
      " unless given; names are used as\n"
      "given. Every datum is checked first: a dip outside 0 to 90, a slip line more\n"
      "than 10 degrees off its plane, an upward slip line, a sense word whose first\n"
      "letter means another sense, a datum given twice; each is one warning on\n"
      "standard error.\nAfter the results file, one summary line names the " +
      (program.takes_subset_size
           ? "most-voted\nstress state; then one line gives the number of populations and why, one\n"
             "line each population, and one line each datum.\n"
           : "best stress state.\n");
  return ProgramTexts{name, usage, about, EXIT_STATUS_HELP};
}

static bool has_svg_extension(const std::string& name) {
  std::size_t slash = name.find_last_of("/\\");
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash + 2)) return false;
  std::string extension;
  for (char c : name.substr(dot + 1))
    extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "svg";
}

static std::string read_confidence_answers(const ParsedArguments& parsed, ConfidenceOptions& options) {
  options.resamples = DEFAULT_RESAMPLES;
  options.seed = DEFAULT_SEED;
  if (const std::string* b = given_value(parsed, "--bootstrap")) {
    std::optional<int32_t> count = parse_resample_count(*b);
    if (!count)
      return "invalid bootstrap count " + *b + " (0 to " + std::to_string(MAX_RESAMPLES) + ")";
    options.resamples = *count;
  }
  if (const std::string* s = given_value(parsed, "--seed")) {
    std::optional<uint64_t> seed = parse_seed(*s);
    if (!seed) return "invalid seed " + *s + " (a whole number, 0 to 18446744073709551615)";
    options.seed = *seed;
  }
  if (const std::string* r = given_value(parsed, "--report")) {
    if (!report_format_of(*r)) return "a report name must end in .json or .csv: " + *r;
    options.report_file = *r;
  }
  if (const std::string* p = given_value(parsed, "--picture")) {
    if (!has_svg_extension(*p)) return "a picture name must end in .svg: " + *p;
    options.picture_file = *p;
  }
  options.overwrite = parsed.options.contains("--overwrite");
  return "";
}

static std::string read_refine_answer(const ParsedArguments& parsed, ConfidenceOptions& options) {
  options.refine = true;
  const std::string* r = given_value(parsed, "--refine");
  if (r == nullptr) return "";
  if (*r != "on" && *r != "off") return "bad value for --refine: " + *r + " (on or off)";
  options.refine = *r == "on";
  return "";
}

// The site of the report: its name (the data file's by default) and its
// position, given both or neither.
static std::string read_site(const ParsedArguments& parsed, RunOptions& options) {
  Site& site = options.run.confidence.site;
  const std::string* name = given_value(parsed, "--site");
  if (name != nullptr && name->empty()) return "bad value for --site: an empty name";
  site.name = name != nullptr ? *name : default_site_name(options.run.data_file);
  const std::string* lat = given_value(parsed, "--lat");
  const std::string* lon = given_value(parsed, "--lon");
  if ((lat == nullptr) != (lon == nullptr)) return "--lat and --lon are given together";
  if (lat == nullptr) return "";
  site.lat = parse_coordinate(*lat, 90);
  if (!site.lat) return "bad value for --lat: " + *lat + " (decimal degrees, -90 to 90)";
  site.lon = parse_coordinate(*lon, 180);
  if (!site.lon) return "bad value for --lon: " + *lon + " (decimal degrees, -180 to 180)";
  return "";
}

std::string read_number(const ParsedArguments& parsed, const char* name, double low,
                        bool low_included, double high, double& value) {
  const std::string* text = given_value(parsed, name);
  if (text == nullptr) return "";
  char* end = nullptr;
  double number = std::strtod(text->c_str(), &end);
  bool above_low = low_included ? number >= low : number > low;
  if (text->empty() || *end != '\0' || !above_low || !(number <= high))
    return "bad value for " + std::string(name) + ": " + *text;
  value = number;
  return "";
}

static std::string read_population_answers(const ParsedArguments& parsed, AnalysisRun& run) {
  SeparationOptions& o = run.separation;
  std::string problem = read_number(parsed, "--separation", 0, false, 180, o.separation);
  if (problem.empty()) problem = read_number(parsed, "--min-votes", 0, true, 1, o.min_votes);
  if (problem.empty()) problem = read_number(parsed, "--fit", 0, false, 180, o.fit_limit);
  double count = 0;
  if (problem.empty()) problem = read_number(parsed, "--populations", 1, true, 8, count);
  if (!problem.empty()) return problem;
  if (count != double(int32_t(count)))
    return "bad value for --populations: " + *given_value(parsed, "--populations");
  o.count = int32_t(count);
  if (const std::string* prefix = given_value(parsed, "--split")) {
    if (prefix->empty()) return "bad value for --split: an empty prefix";
    run.split_prefix = *prefix;
  }
  run.find_populations = true;
  return "";
}

// The options' values into `options`; the usage problem, or an empty text.
static std::string read_answers(const CommandLineProgram& program, const ParsedArguments& parsed,
                                RunOptions& options) {
  auto weight = parsed.options.find("--weight");
  if (weight == parsed.options.end()) return "--weight is required";
  std::optional<int8_t> id = weight_of_name(weight->second);
  if (!id) {
    return "invalid weight function " + weight->second +
           " (1 to 4, or cosine, linear, tangent, hyperbolic-tangent)";
  }
  options.run.weight_id = *id;
  if (program.takes_confidence) {
    std::string problem = read_confidence_answers(parsed, options.run.confidence);
    if (problem.empty()) problem = read_refine_answer(parsed, options.run.confidence);
    if (!problem.empty()) return problem;
  }
  if (!program.takes_subset_size) return "";
  std::string problem = read_population_answers(parsed, options.run);
  if (!problem.empty()) return problem;
  auto k = parsed.options.find("--k");
  if (k == parsed.options.end()) return "--k is required";
  std::optional<int8_t> size = parse_subset_size(k->second);
  if (!size) return "invalid subset size " + k->second + " (2 to 8)";
  options.run.subset_size = *size;
  return "";
}

static std::string read_files(const std::string& extension, const ParsedArguments& parsed,
                              RunOptions& options) {
  const std::vector<std::string>& files = parsed.operands;
  if (files.empty()) return "no data file given";
  if (files.size() > 2) return "extra argument " + files[2];
  options.run.data_file = files[0];
  options.run.results_file = files.size() == 2 ? files[1] : proposed_results_name(files[0], extension);
  return "";
}

static std::string read_thread_count(const ParsedArguments& parsed, RunOptions& options) {
  auto threads = parsed.options.find("--threads");
  if (threads == parsed.options.end()) return "";
  std::optional<int> count = parse_thread_count(threads->second);
  if (!count) return "invalid thread count " + threads->second + " (1 to 1024)";
  options.threads = *count;
  return "";
}

std::string read_run_options(const CommandLineProgram& program, const std::string& extension,
                             const ParsedArguments& parsed, RunOptions& options) {
  std::string problem = read_answers(program, parsed, options);
  if (problem.empty()) problem = read_files(extension, parsed, options);
  if (problem.empty()) problem = read_thread_count(parsed, options);
  if (problem.empty() && program.takes_confidence) problem = read_site(parsed, options);
  options.quiet = parsed.options.contains("--quiet");
  return problem;
}

// Why the run cannot go on with these files, or an empty text.
static std::string file_refusal(const CommandLineProgram& program, const RunOptions& options,
                                bool overwrite) {
  const std::string& data = options.run.data_file;
  const std::string& results = options.run.results_file;
  if (!path_exists(data)) return "data file not found: " + data;
  if (is_folder(data)) return "data file is a folder: " + data;
  if (!folder_of_path_exists(results)) return "folder of the results file not found: " + results;
  if (is_folder(results)) return "results file is a folder: " + results;
  if (same_file(data, results)) return "results file is the data file: " + results;
  if (path_exists(results) && !overwrite)
    return "results file exists (--overwrite replaces it): " + results;
  const ConfidenceOptions& confidence = options.run.confidence;
  for (const std::string* output : {&confidence.report_file, &confidence.picture_file}) {
    if (output->empty()) continue;
    if (!folder_of_path_exists(*output)) return "folder not found: " + *output;
    if (same_file(data, *output) || same_file(results, *output))
      return "would replace the data or the results file: " + *output;
  }
  if (!confidence.report_file.empty()) {
    std::string refusal = program.takes_subset_size
                              ? population_report_refusal(confidence.report_file, overwrite,
                                                          confidence.refine)
                              : report_refusal(confidence.report_file, overwrite, confidence.refine);
    if (!refusal.empty()) return refusal;
  }
  const std::string& prefix = options.run.split_prefix;
  if (!prefix.empty()) {
    if (!folder_of_path_exists(prefix + "1.fdt")) return "folder not found: " + prefix + "1.fdt";
    for (const char* number : {"0", "1"}) {
      std::string name = prefix + number + ".fdt";
      if (same_file(data, name) || same_file(results, name))
        return "would replace the data or the results file: " + name;
      if (path_exists(name) && !overwrite)
        return "split file exists (--overwrite replaces it): " + name;
    }
  }
  const std::string& picture = confidence.picture_file;
  if (!picture.empty() && is_folder(picture)) return "picture file is a folder: " + picture;
  if (!picture.empty() && path_exists(picture) && !overwrite)
    return "picture file exists (--overwrite replaces it): " + picture;
  return "";
}

// The checks of every datum: one line each warning on standard error,
// then how many data have them. False when --strict refuses the file.
static bool data_pass_checks(const CommandLineProgram& program, bool strict, AnalysisRun& run) {
  FaultSet set;
  std::vector<DatumSource> sources;
  // A file that cannot be read is reported by the run itself, in its place.
  if (read_data_file(run.data_file, set, sources)) return true;
  run.data_warnings = check_fault_data(set, sources);
  if (run.data_warnings.empty()) return true;
  for (const DatumWarning& warning : run.data_warnings)
    std::fprintf(stderr, "%s: %s\n", program.name, warning_line(warning).c_str());
  std::fprintf(stderr, "%s: %s\n", program.name,
               warnings_summary(run.data_warnings, set.count).c_str());
  if (!strict) return true;
  std::fprintf(stderr, "%s: refused (--strict): no results file written\n", program.name);
  return false;
}

int run_command_line(const CommandLineProgram& program, const std::string& extension, int argc,
                     char** argv) {
  set_error_ending(ErrorEnding::standard_error);
  ProgramTexts texts = analysis_texts(program, extension);
  ParsedArguments parsed;
  std::string problem = parse_arguments(argc, argv, option_table(program), parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  RunOptions options;
  problem = read_run_options(program, extension, parsed, options);
  if (!problem.empty()) return usage_error(texts, problem);
  std::string refusal = file_refusal(program, options, parsed.options.contains("--overwrite"));
  if (!refusal.empty()) {
    std::fprintf(stderr, "%s: %s\n", program.name, refusal.c_str());
    return 1;
  }
  if (!data_pass_checks(program, parsed.options.contains("--strict"), options.run)) return 1;
  RunOutcome outcome;
  if (StageResult error = program.run(options.run, current_job_time(),
                                      console_run_settings(options.threads, options.quiet),
                                      outcome))
    report_failure(*error);
  write_line(outcome.summary);
  flush_console();
  if (outcome.output_problem.empty()) return 0;
  std::fprintf(stderr, "%s: %s; the results file %s is written\n", program.name,
               outcome.output_problem.c_str(), options.run.results_file.c_str());
  return 1;
}
