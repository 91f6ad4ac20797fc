#include "shell/command_line.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/threads.h"
#include "confidence/bootstrap.h"
#include "report/report_files.h"
#include "shell/console.h"
#include "shell/error_reporter.h"
#include "shell/file_chooser.h"
#include "shell/program_info.h"

namespace fs = std::filesystem;

static const KnownOption* find_option(const std::vector<KnownOption>& known,
                                      std::string_view name) {
  for (const KnownOption& option : known) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// A following argument that is itself an option is no value: "--weight
// --overwrite data" lacks the weight, it does not name "--overwrite".
static bool is_value(int i, int argc, char** argv) {
  return i < argc && std::string_view(argv[i]).substr(0, 2) != "--";
}

// The option at argv[i], "--name" or "--name=value"; steps i over a value
// given as the next argument.
static std::string parse_option(int& i, int argc, char** argv,
                                const std::vector<KnownOption>& known, ParsedArguments& parsed) {
  std::string_view argument = argv[i];
  size_t equals = argument.find('=');
  std::string name(argument.substr(0, equals));
  const KnownOption* option = find_option(known, name);
  if (option == nullptr) return "unknown option " + std::string(argument);
  bool joined = equals != std::string_view::npos;
  if (joined && !option->takes_value) return name + " takes no value";
  if (joined) {
    parsed.options[name] = argument.substr(equals + 1);
  } else if (!option->takes_value) {
    parsed.options[name] = "";
  } else if (is_value(i + 1, argc, argv)) {
    parsed.options[name] = argv[++i];
  } else {
    return "missing value of " + name;
  }
  return "";
}

std::string parse_arguments(int argc, char** argv, const std::vector<KnownOption>& known,
                            ParsedArguments& parsed) {
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (options_ended || argument.substr(0, 2) != "--") {
      parsed.operands.emplace_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (std::string problem = parse_option(i, argc, argv, known, parsed); !problem.empty()) {
      return problem;
    }
  }
  return "";
}

int usage_error(const ProgramTexts& texts, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\nusage: %s\n", texts.name.c_str(), problem.c_str(),
               texts.usage.c_str());
  return EXIT_USAGE;
}

static const char* const EXIT_STATUS_HELP =
    "Exit status: 0 when the results are written, 1 on an error or a refusal,\n"
    "2 on a usage error.\n";

std::optional<int> help_or_version(const ProgramTexts& texts, const ParsedArguments& parsed) {
  if (parsed.options.contains("--help")) {
    std::printf("usage: %s\n%s\n%s\n%s", texts.usage.c_str(), texts.about.c_str(), DATA_FORMAT_HELP,
                EXIT_STATUS_HELP);
    return 0;
  }
  if (parsed.options.contains("--version")) {
    std::printf("%s\n", version_line(texts.name).c_str());
    return 0;
  }
  return std::nullopt;
}

std::optional<int8_t> parse_weight_id(std::string_view text) {
  static const char* const NAMES[4] = {"cosine", "linear", "tangent", "hyperbolic-tangent"};
  for (int id = 1; id <= 4; ++id) {
    if (text == NAMES[id - 1] || text == std::to_string(id)) return static_cast<int8_t>(id);
  }
  return std::nullopt;
}

std::optional<int8_t> parse_subset_size(std::string_view text) {
  if (text.size() == 1 && text[0] >= '2' && text[0] <= '8')
    return static_cast<int8_t>(text[0] - '0');
  return std::nullopt;
}

// ---- the analysis programs ----

static std::vector<KnownOption> analysis_options(const CommandLineProgram& program) {
  std::vector<KnownOption> known = {{"--weight", true}, {"--overwrite", false},
                                    {"--quiet", false}, {"--threads", true},
                                    {"--help", false},  {"--version", false}};
  if (program.takes_subset_size) known.push_back({"--k", true});
  if (program.takes_confidence) {
    for (const char* name : {"--bootstrap", "--seed", "--report", "--picture"})
      known.push_back({name, true});
  }
  return known;
}

static const char* const CONFIDENCE_USAGE =
    " [--bootstrap B] [--seed S] [--report FILE.json|FILE.csv] [--picture FILE.svg]";

static std::string confidence_help() {
  return "  --bootstrap B  resamples of the data for the 95 % confidence, 0 to " +
         std::to_string(MAX_RESAMPLES) + "\n"
         "                (default " + std::to_string(DEFAULT_RESAMPLES) +
         "; 0 turns the bootstrap off; none below " + std::to_string(MIN_BOOTSTRAP_DATA) +
         " data)\n"
         "  --seed S       seed of the resamples, a whole number (default " +
         std::to_string(DEFAULT_SEED) + ")\n"
         "  --report FILE  the report for scripts: FILE.json one JSON object, FILE.csv a\n"
         "                header and one row, appended to a file with the same header\n"
         "  --picture FILE.svg  the stereonet of the best state with its confidence\n";
}

static ProgramTexts analysis_texts(const CommandLineProgram& program,
                                   const std::string& extension) {
  std::string name = program.name;
  std::string k = program.takes_subset_size ? " --k K" : "";
  std::string usage = name + " --weight N" + k + (program.takes_confidence ? CONFIDENCE_USAGE : "") +
                      " [--overwrite] [--quiet] [--threads N] DATA [RESULTS]";
  std::string about =
      std::string(program.purpose) + "Without arguments " + name +
      " asks its questions at the console instead.\n\n"
      "  --weight N    the weight function: 1 or cosine, 2 or linear, 3 or tangent,\n"
      "                4 or hyperbolic-tangent (required)\n";
  if (program.takes_subset_size) about += "  --k K         the subset size, 2 to 8 (required)\n";
  if (program.takes_confidence) about += confidence_help();
  about +=
      "  --overwrite   replace an existing RESULTS file" +
      std::string(program.takes_confidence ? " (and report or picture)" : "") + "\n"
      "  --quiet       leave out the progress lines (the summary line stays)\n"
      "  --threads N   threads to use, 1 to 1024 (default: SORVEL_THREADS, or every\n"
      "                hardware thread)\n"
      "  --help, --version\n"
      "RESULTS is DATA with the extension " +
      extension +
      " unless given; names are used as\n"
      "given. After the results file, one summary line names the " +
      (program.takes_subset_size ? "most-voted" : "best") + " stress state.\n";
  return ProgramTexts{name, usage, about};
}

static bool has_svg_extension(const std::string& name) {
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash + 2)) return false;
  std::string extension;
  for (char c : name.substr(dot + 1)) extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "svg";
}

static std::string read_confidence_answers(const ParsedArguments& parsed, RunOptions& options) {
  options.resamples = DEFAULT_RESAMPLES;
  options.seed = DEFAULT_SEED;
  if (auto b = parsed.options.find("--bootstrap"); b != parsed.options.end()) {
    std::optional<int32_t> count = parse_resample_count(b->second);
    if (!count)
      return "invalid bootstrap count " + b->second + " (0 to " + std::to_string(MAX_RESAMPLES) + ")";
    options.resamples = *count;
  }
  if (auto s = parsed.options.find("--seed"); s != parsed.options.end()) {
    std::optional<uint64_t> seed = parse_seed(s->second);
    if (!seed) return "invalid seed " + s->second + " (a whole number, 0 to 18446744073709551615)";
    options.seed = *seed;
  }
  if (auto r = parsed.options.find("--report"); r != parsed.options.end()) {
    if (!report_format_of(r->second)) return "a report name must end in .json or .csv: " + r->second;
    options.report_file = r->second;
  }
  if (auto p = parsed.options.find("--picture"); p != parsed.options.end()) {
    if (!has_svg_extension(p->second)) return "a picture name must end in .svg: " + p->second;
    options.picture_file = p->second;
  }
  return "";
}

// The options' values into `options`; the usage problem, or an empty text.
static std::string read_answers(const CommandLineProgram& program, const ParsedArguments& parsed,
                                RunOptions& options) {
  auto weight = parsed.options.find("--weight");
  if (weight == parsed.options.end()) return "--weight is required";
  std::optional<int8_t> id = parse_weight_id(weight->second);
  if (!id) {
    return "invalid weight function " + weight->second +
           " (1 to 4, or cosine, linear, tangent, hyperbolic-tangent)";
  }
  options.weight_id = *id;
  if (program.takes_confidence) {
    std::string problem = read_confidence_answers(parsed, options);
    if (!problem.empty()) return problem;
  }
  if (!program.takes_subset_size) return "";
  auto k = parsed.options.find("--k");
  if (k == parsed.options.end()) return "--k is required";
  std::optional<int8_t> size = parse_subset_size(k->second);
  if (!size) return "invalid subset size " + k->second + " (2 to 8)";
  options.subset_size = *size;
  return "";
}

static std::string read_files(const std::string& extension, const ParsedArguments& parsed,
                              RunOptions& options) {
  const std::vector<std::string>& files = parsed.operands;
  if (files.empty()) return "no data file given";
  if (files.size() > 2) return "extra argument " + files[2];
  options.data_file = files[0];
  options.results_file = files.size() == 2 ? files[1] : proposed_results_name(files[0], extension);
  return "";
}

static std::string read_thread_count(const ParsedArguments& parsed) {
  auto threads = parsed.options.find("--threads");
  if (threads == parsed.options.end()) return "";
  std::optional<int> count = parse_thread_count(threads->second);
  if (!count) return "invalid thread count " + threads->second + " (1 to 1024)";
  set_thread_count(*count);
  return "";
}

static bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

// Why the run cannot go on with these files, or an empty text.
static std::string file_refusal(const RunOptions& options, bool overwrite) {
  const std::string& data = options.data_file;
  const std::string& results = options.results_file;
  if (!path_exists(data)) return "data file not found: " + data;
  if (is_folder(data)) return "data file is a folder: " + data;
  if (!folder_of_path_exists(results)) return "folder of the results file not found: " + results;
  if (is_folder(results)) return "results file is a folder: " + results;
  if (same_file(data, results)) return "results file is the data file: " + results;
  if (path_exists(results) && !overwrite)
    return "results file exists (--overwrite replaces it): " + results;
  for (const std::string* output : {&options.report_file, &options.picture_file}) {
    if (output->empty()) continue;
    if (!folder_of_path_exists(*output)) return "folder not found: " + *output;
    if (same_file(data, *output) || *output == results || same_file(results, *output))
      return "would replace the data or the results file: " + *output;
  }
  if (!options.report_file.empty()) {
    std::string refusal = report_refusal(options.report_file, overwrite);
    if (!refusal.empty()) return refusal;
  }
  const std::string& picture = options.picture_file;
  if (!picture.empty() && is_folder(picture)) return "picture file is a folder: " + picture;
  if (!picture.empty() && path_exists(picture) && !overwrite)
    return "picture file exists (--overwrite replaces it): " + picture;
  return "";
}

int run_command_line(const CommandLineProgram& program, const std::string& extension, int argc,
                     char** argv) {
  set_error_ending(ErrorEnding::standard_error);
  ProgramTexts texts = analysis_texts(program, extension);
  ParsedArguments parsed;
  std::string problem = parse_arguments(argc, argv, analysis_options(program), parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  RunOptions options;
  problem = read_answers(program, parsed, options);
  if (problem.empty()) problem = read_files(extension, parsed, options);
  if (problem.empty()) problem = read_thread_count(parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  options.overwrite = parsed.options.contains("--overwrite");
  std::string refusal = file_refusal(options, options.overwrite);
  if (!refusal.empty()) {
    std::fprintf(stderr, "%s: %s\n", program.name, refusal.c_str());
    return 1;
  }
  set_progress_quiet(parsed.options.contains("--quiet"));
  write_line(program.run(options));
  flush_console();
  return 0;
}
