// The one error exit after start-up: print the report block, wait for
// Enter, end the program with status 1. A command-line run
// has the block on standard error and no pause, so that a script never
// waits for a key.
#ifndef SORVEL_SHELL_ERROR_REPORTER_H_
#define SORVEL_SHELL_ERROR_REPORTER_H_

#include <cstdint>
#include <optional>
#include <string>

#include "common/error_report.h"

/// The report block, every line ended: an empty line, the name line, an
/// empty line, the report line, "  Execution terminated.".
std::string format_error_block(const std::string& routine, const std::string& message,
                               std::optional<int32_t> line);

/// Where the report block goes and whether the pause follows it.
enum class ErrorEnding {
  console_pause,   // standard output, then the pause (the dialogue)
  standard_error,  // standard error, no pause (the command-line mode)
};
void set_error_ending(ErrorEnding ending);

[[noreturn]] void ErrorReporter(const std::string& routine, const std::string& message,
                                std::optional<int32_t> line = std::nullopt);

/// The message lines a stage gave with its failure, then ErrorReporter.
[[noreturn]] void report_failure(const ErrorReport& report);

#endif  // SORVEL_SHELL_ERROR_REPORTER_H_
