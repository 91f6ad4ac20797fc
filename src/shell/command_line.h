// The command-line mode for scripts: options in place of the dialogue's
// answers, nothing read from standard input, no pause after an error, and
// one summary line after the results file. Exit status 0 when the results
// are written, 1 on an error or a refusal, 2 on a usage error.
#ifndef SORVEL_SHELL_COMMAND_LINE_H_
#define SORVEL_SHELL_COMMAND_LINE_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int EXIT_USAGE = 2;

/// An option a program knows: "--name", and whether a value follows it.
struct KnownOption {
  const char* name;
  bool takes_value;
};

/// The arguments sorted: options by name ("" for a flag; the last one
/// counts when repeated) and the operands in order.
struct ParsedArguments {
  std::map<std::string, std::string, std::less<>> options;
  std::vector<std::string> operands;
};

/// Sorts argv[1..]: "--name value" or "--name=value"; "--" ends the
/// options. Returns the usage problem (an unknown option, a missing value),
/// or an empty text.
std::string parse_arguments(int argc, char** argv, const std::vector<KnownOption>& known,
                            ParsedArguments& parsed);

/// What a program says of itself.
struct ProgramTexts {
  std::string name;   // "sorvel"
  std::string usage;  // "sorvel --weight N ... DATA [RESULTS]"
  std::string about;  // the lines of --help between the usage line and the data format
};

/// "<name>: <problem>" and the usage line on standard error; EXIT_USAGE.
int usage_error(const ProgramTexts& texts, const std::string& problem);

/// The answer to --help or --version when either was given (exit status 0).
std::optional<int> help_or_version(const ProgramTexts& texts, const ParsedArguments& parsed);

/// A weight function by its menu number (1 to 4) or its name (cosine,
/// linear, tangent, hyperbolic-tangent), or nothing.
std::optional<int8_t> parse_weight_id(std::string_view text);

/// A subset size 2 to 8, or nothing.
std::optional<int8_t> parse_subset_size(std::string_view text);

/// What a command-line run of an analysis is told.
struct RunOptions {
  std::string data_file;
  std::string results_file;
  int8_t weight_id = 0;    // 1 to 4
  int8_t subset_size = 0;  // k of the MIM analysis, 0 for the others
  bool overwrite = false;  // existing files may be replaced
  // The confidence of a CDM run (sorvel):
  int32_t resamples = 0;     // bootstrap resamples, 0 for none
  uint64_t seed = 0;         // of the resamples
  std::string report_file;   // FILE.json or FILE.csv, empty for none
  std::string picture_file;  // FILE.svg, empty for none
};

/// What distinguishes one analysis program on the command line.
struct CommandLineProgram {
  const char* name;                               // "sorvel"
  const char* purpose;                            // the first lines of --help, each ended
  bool takes_subset_size;                         // --k, required (sorvel-mim)
  std::string (*run)(const RunOptions& options);  // returns the summary line
  bool takes_confidence = false;                  // --bootstrap, --seed, --report, --picture (sorvel)
};

/// The command-line mode of an analysis program whose results name has
/// `extension` by default; returns the exit status (an error inside the
/// analysis leaves through ErrorReporter with 1).
int run_command_line(const CommandLineProgram& program, const std::string& extension, int argc,
                     char** argv);

#endif  // SORVEL_SHELL_COMMAND_LINE_H_
