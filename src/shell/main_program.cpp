#include "shell/main_program.h"

#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "common/free_format.h"
#include "shell/banner.h"
#include "shell/console.h"

[[noreturn]] static void stop(int status) {
  flush_console();
  std::exit(status);
}

static bool is_existing_file(const std::string& name) {
  struct stat info;
  return stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

static bool exists(const std::string& name) {
  struct stat info;
  return stat(name.c_str(), &info) == 0;
}

std::optional<bool> read_overwrite_answer(LineSource& input) {
  char answer = 'y';
  std::vector<FreeFormValue> values;
  if (read_free_form(input, {ValueKind::text}, values) == ReadStatus::end_of_input)
    return std::nullopt;
  if (values[0].set) answer = values[0].text.empty() ? ' ' : values[0].text[0];
  return answer == 'y';
}

static bool overwrite_consented() {
  std::optional<bool> consent = read_overwrite_answer(console_input());
  if (!consent) {
    write_line("");
    message_line("  No answer (end of input) --- Execution terminated.");
    stop(1);
  }
  return *consent;
}

int run_main_program(const AnalysisProgram& program, FileChooser& chooser) {
  write_banner();
  std::string data_file = choose_data_file(chooser);
  std::vector<FileFilter> save_filters = {program.results_filter, {"All Files (*.*)", "*.*"}};
  std::string results_file =
      choose_save_file(chooser, save_filters, proposed_results_name(data_file, program.extension));
  if (!is_existing_file(data_file)) {
    message_line("  Specified data file not found --- Execution terminated.");
    stop(1);
  }
  if (exists(results_file)) {
    message_line("  Specified file to save already exists. ");
    write_prompt("  Do you really want to rewrite it?  < y / n > ");
    if (!overwrite_consented()) stop(1);
  }
  message_line("  Load fault-slip data from the file ");
  message_line("    " + data_file);
  message_line("  Save results to the file ");
  message_line("    " + results_file);
  program.execute(data_file, results_file);
  flush_console();
  return 0;
}
