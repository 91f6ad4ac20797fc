#include "shell/error_reporter.h"

#include <cstdio>
#include <cstdlib>

#include "shell/console.h"

static std::string without_trailing_blanks(std::string text) {
  size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

static std::string padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string format_error_block(const std::string& routine, const std::string& message,
                               std::optional<int32_t> line) {
  std::string report = "  " + without_trailing_blanks(message);
  if (line) {
    char field[16];
    std::snprintf(field, sizeof field, "%10d", static_cast<int>(*line));
    report += field;
  }
  std::string block;
  block += " \n";
  block += "   Error in the subprogram " + padded(routine, 80) + "\n";
  block += " \n";
  block += " " + without_trailing_blanks(report) + "\n";
  block += "   Execution terminated.\n";
  return block;
}

static ErrorEnding error_ending = ErrorEnding::console_pause;

void set_error_ending(ErrorEnding ending) { error_ending = ending; }

[[noreturn]] static void end_on_standard_error(const std::string& block) {
  flush_console();  // the progress lines so far come first
  std::fwrite(block.data(), 1, block.size(), stderr);
  std::exit(1);
}

void ErrorReporter(const std::string& routine, const std::string& message,
                   std::optional<int32_t> line) {
  std::string block = format_error_block(routine, message, line);
  if (error_ending == ErrorEnding::standard_error) end_on_standard_error(block);
  std::fwrite(block.data(), 1, block.size(), stdout);
  pause_for_enter("  Press Enter to end the program. ");
  flush_console();
  std::exit(1);
}

void report_failure(const ErrorReport& report) {
  if (!report.notes.empty()) {
    std::fwrite(report.notes.data(), 1, report.notes.size(), stdout);
    flush_console();
  }
  // A script's user has no dialogue to go back to: the block says where
  // in the file the fault lies.
  if (error_ending == ErrorEnding::standard_error && !report.detail.empty()) {
    std::string block = format_error_block(report.routine, report.message, report.line);
    const std::string last = "   Execution terminated.\n";
    block.insert(block.size() - last.size(), "   " + report.detail + "\n");
    end_on_standard_error(block);
  }
  ErrorReporter(report.routine, report.message, report.line);
}
