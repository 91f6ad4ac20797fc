// The command line of every program, read one way: a table of the options
// a program knows, "--name value" or "--name=value", "--" before operands
// that look like options. Reading only sorts the words and names the
// problem; the programs print it (usage_error) and choose the exit status.
#ifndef SORVEL_SHELL_OPTIONS_H_
#define SORVEL_SHELL_OPTIONS_H_

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int EXIT_USAGE = 2;

/// An option a program knows: "--name" (or a short "-h"), whether a value
/// follows it, and the option it is another name of (nullptr: none).
struct KnownOption {
  const char* name;
  bool takes_value;
  const char* same_as = nullptr;
};

/// The options of one program. Where `dash_words_are_options`, a word
/// such as "-x" is an option too (refused unless known); otherwise only
/// words that begin with "--" are, and "-x" is an operand.
struct OptionTable {
  std::span<const KnownOption> options;
  bool dash_words_are_options = false;
};

/// The arguments sorted: options by name (the `same_as` name for another
/// name; "" for an option without value; the last one counts when
/// repeated) and the operands in order.
struct ParsedArguments {
  std::map<std::string, std::string, std::less<>> options;
  std::vector<std::string> operands;
};

/// Sorts argv[1..]. A value is the next word unless that begins with "--"
/// ("--weight --overwrite" lacks the weight). Returns the usage problem
/// (an unknown option, a missing value, a value for an option that takes
/// none), or an empty text; prints nothing.
std::string parse_arguments(int argc, const char* const* argv, const OptionTable& table,
                            ParsedArguments& parsed);

/// The value of the option `name`, or nullptr when it was not given.
const std::string* given_value(const ParsedArguments& parsed, std::string_view name);

/// What a program says of itself.
struct ProgramTexts {
  std::string name;         // "sorvel"
  std::string usage;        // "sorvel --weight N ... DATA [RESULTS]"; more lines indented by 7
  std::string about;        // the lines of --help between the usage line and the data format
  std::string exit_status;  // the last lines of --help
};

/// "<name>: <problem>" and the usage line on standard error; EXIT_USAGE.
int usage_error(const ProgramTexts& texts, const std::string& problem);

/// The answer to --help or --version when either was given (exit status 0).
std::optional<int> help_or_version(const ProgramTexts& texts, const ParsedArguments& parsed);

// ---- the options of the seven programs ----

inline constexpr KnownOption CDM_CIM_OPTIONS[] = {
    {"--weight", true},  {"--overwrite", false}, {"--quiet", false},
    {"--threads", true}, {"--help", false},      {"--version", false},
    {"--strict", false}};

inline constexpr KnownOption CDM_OPTIONS[] = {
    {"--weight", true},    {"--overwrite", false}, {"--quiet", false},   {"--threads", true},
    {"--help", false},     {"--version", false},   {"--bootstrap", true}, {"--seed", true},
    {"--report", true},    {"--picture", true},    {"--strict", false},  {"--site", true},
    {"--lat", true},       {"--lon", true},        {"--refine", true}};

inline constexpr KnownOption MIM_OPTIONS[] = {
    {"--weight", true},     {"--overwrite", false}, {"--quiet", false},   {"--threads", true},
    {"--help", false},      {"--version", false},   {"--k", true},        {"--bootstrap", true},
    {"--seed", true},       {"--report", true},     {"--picture", true},  {"--separation", true},
    {"--min-votes", true},  {"--fit", true},        {"--populations", true}, {"--split", true},
    {"--strict", false},    {"--site", true},       {"--lat", true},        {"--lon", true},
    {"--refine", true}};

inline constexpr KnownOption GRID_OPTIONS[] = {{"--fixed", false},
                                               {"--whole", false},
                                               {"--quiet", false},
                                               {"--help", false},
                                               {"--version", false}};

inline constexpr KnownOption PLOT_OPTIONS[] = {
    {"--separation", true}, {"--min-votes", true},   {"--fit", true},   {"--report", true},
    {"--help", false},      {"-h", false, "--help"}, {"--version", false}};

inline constexpr KnownOption IMPORT_OPTIONS[] = {
    {"--format", true},    {"--sense", true},     {"--tolerance", true},
    {"--skip-bad", false}, {"--overwrite", false}, {"--check", false},
    {"--help", false},     {"--version", false},   {"--bare-pitch-is-trend", false},
    {"--bedding", true},   {"--paleonorth", true}};

inline constexpr KnownOption MAP_OPTIONS[] = {
    {"--geojson", true},   {"--wsm", true},  {"--picture", true}, {"--overwrite", false},
    {"--help", false},     {"-h", false, "--help"}, {"--version", false}};

/// sorvel-plot and sorvel-import refuse an unknown "-x"; the analysis
/// programs take it as a file name, as they always have.
inline constexpr OptionTable CDM_CIM_TABLE = {CDM_CIM_OPTIONS, false};
inline constexpr OptionTable CDM_TABLE = {CDM_OPTIONS, false};
inline constexpr OptionTable MIM_TABLE = {MIM_OPTIONS, false};
inline constexpr OptionTable GRID_TABLE = {GRID_OPTIONS, false};
inline constexpr OptionTable PLOT_TABLE = {PLOT_OPTIONS, true};
inline constexpr OptionTable IMPORT_TABLE = {IMPORT_OPTIONS, true};
inline constexpr OptionTable MAP_TABLE = {MAP_OPTIONS, true};

#endif  // SORVEL_SHELL_OPTIONS_H_
