// The command-line mode for scripts: options in place of the dialogue's
// answers, nothing read from standard input, no pause after an error, and
// one summary line after the results file. Exit status 0 when the results
// are written, 1 on an error or a refusal, 2 on a usage error.
#ifndef SORVEL_SHELL_COMMAND_LINE_H_
#define SORVEL_SHELL_COMMAND_LINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/job_time.h"
#include "analyses/shared_stages.h"
#include "common/error_report.h"
#include "common/run_settings.h"
#include "shell/options.h"

/// The last lines of --help of the analysis programs and sorvel-grid.
inline constexpr const char* EXIT_STATUS_HELP =
    "Exit status: 0 when the results are written, 1 on an error or a refusal,\n"
    "2 on a usage error.\n";

/// A subset size 2 to 8, or nothing.
std::optional<int8_t> parse_subset_size(std::string_view text);

/// A number from low to high (low itself only when `low_included`) into
/// `value` when the option `name` is given; the usage problem ("bad value
/// for NAME: TEXT"), or an empty text.
std::string read_number(const ParsedArguments& parsed, const char* name, double low,
                        bool low_included, double high, double& value);

/// What a command-line run is told: the run's answers and how to carry
/// it out (sorvel-grid uses `quiet` only).
struct RunOptions {
  AnalysisRun run;
  int threads = 0;     // 1 to 1024; 0 when not given
  bool quiet = false;  // no progress lines
};

/// An analysis as a program runs it: the run's answers, the start of the
/// job (the MIM file records it) and the settings in; the summary line of
/// the command-line mode and a problem with a later output out, or the
/// failure.
using AnalysisRunner = StageResult (*)(const AnalysisRun& run, const JobTime& start,
                                       const RunSettings& settings, RunOutcome& outcome);

/// What distinguishes one analysis program on the command line.
struct CommandLineProgram {
  const char* name;        // "sorvel"
  const char* purpose;     // the first lines of --help, each ended
  bool takes_subset_size;  // --k, required (sorvel-mim)
  AnalysisRunner run;
  bool takes_confidence = false;  // --bootstrap, --seed, --report, --picture (sorvel)
};

/// The options of the program.
const OptionTable& option_table(const CommandLineProgram& program);

/// The run options from the parsed arguments, RESULTS proposed from DATA
/// and `extension` when not given. Returns the usage problem, or an empty
/// text; reads only, sets nothing for the run.
std::string read_run_options(const CommandLineProgram& program, const std::string& extension,
                             const ParsedArguments& parsed, RunOptions& options);

/// The command-line mode of an analysis program whose results name has
/// `extension` by default; returns the exit status (an error inside the
/// analysis leaves through ErrorReporter with 1).
int run_command_line(const CommandLineProgram& program, const std::string& extension, int argc,
                     char** argv);

#endif  // SORVEL_SHELL_COMMAND_LINE_H_
