#include "shell/command_line.h"

#include <cstdio>
#include <vector>

#include "common/threads.h"
#include "shell/console.h"
#include "shell/error_reporter.h"
#include "shell/file_chooser.h"
#include "shell/program_info.h"

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

const OptionTable& option_table(const CommandLineProgram& program) {
  return program.takes_subset_size ? MIM_TABLE : CDM_CIM_TABLE;
}

static ProgramTexts analysis_texts(const CommandLineProgram& program,
                                   const std::string& extension) {
  std::string name = program.name;
  std::string k = program.takes_subset_size ? " --k K" : "";
  std::string usage =
      name + " --weight N" + k + " [--overwrite] [--quiet] [--threads N] DATA [RESULTS]";
  std::string about =
      std::string(program.purpose) + "Without arguments " + name +
      " asks its questions at the console instead.\n\n"
      "  --weight N    the weight function: 1 or cosine, 2 or linear, 3 or tangent,\n"
      "                4 or hyperbolic-tangent (required)\n";
  if (program.takes_subset_size) about += "  --k K         the subset size, 2 to 8 (required)\n";
  about +=
      "  --overwrite   replace an existing RESULTS file\n"
      "  --quiet       leave out the progress lines (the summary line stays)\n"
      "  --threads N   threads to use, 1 to 1024 (default: SORVEL_THREADS, or every\n"
      "                hardware thread)\n"
      "  --help, --version\n"
      "RESULTS is DATA with the extension " +
      extension +
      " unless given; names are used as\n"
      "given. After the results file, one summary line names the " +
      (program.takes_subset_size ? "most-voted" : "best") + " stress state.\n";
  return ProgramTexts{name, usage, about, EXIT_STATUS_HELP};
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
  options.run.weight_id = *id;
  if (!program.takes_subset_size) return "";
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
  options.quiet = parsed.options.contains("--quiet");
  return problem;
}

// Why the run cannot go on with these files, or an empty text.
static std::string file_refusal(const RunOptions& options, bool overwrite) {
  const std::string& data = options.run.data_file;
  const std::string& results = options.run.results_file;
  if (!path_exists(data)) return "data file not found: " + data;
  if (is_folder(data)) return "data file is a folder: " + data;
  if (!folder_of_path_exists(results)) return "folder of the results file not found: " + results;
  if (is_folder(results)) return "results file is a folder: " + results;
  if (same_file(data, results)) return "results file is the data file: " + results;
  if (path_exists(results) && !overwrite)
    return "results file exists (--overwrite replaces it): " + results;
  return "";
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
  std::string refusal = file_refusal(options, parsed.options.contains("--overwrite"));
  if (!refusal.empty()) {
    std::fprintf(stderr, "%s: %s\n", program.name, refusal.c_str());
    return 1;
  }
  std::string summary;
  if (StageResult error = program.run(options.run, current_job_time(),
                                      console_run_settings(options.threads, options.quiet),
                                      summary))
    report_failure(*error);
  write_line(summary);
  flush_console();
  return 0;
}
