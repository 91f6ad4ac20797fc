#include "shell/main_program.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "common/free_format.h"
#include "shell/banner.h"
#include "shell/console.h"
#include "shell/error_reporter.h"
#include "shell/questions.h"
#include "platform/console_window.h"

[[noreturn]] static void stop(int status) {
  flush_console();
  std::exit(status);
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
  if (!path_exists(data_file) || is_folder(data_file)) {
    message_line("  Specified data file not found --- Execution terminated.");
    stop(1);
  }
  // The save dialog may propose the data file itself: results written
  // over it would destroy the data.
  if (same_file(data_file, results_file)) {
    message_line("  Specified file to save is the data file itself --- Execution terminated.");
    stop(1);
  }
  if (path_exists(results_file)) {
    message_line("  Specified file to save already exists. ");
    write_prompt("  Do you really want to rewrite it?  < y / n > ");
    if (!overwrite_consented()) stop(1);
  }
  message_line("  Load fault-slip data from the file ");
  message_line("    " + data_file);
  message_line("  Save results to the file ");
  message_line("    " + results_file);
  AnalysisRun run;
  run.data_file = data_file;
  run.results_file = results_file;
  if (program.command_line.takes_subset_size) run.subset_size = determine_subset_size();
  // The job starts before the weight function is chosen.
  JobTime start = current_job_time();
  run.weight_id = determine_weightfunc();
  RunOutcome outcome;  // the dialogue shows no summary and asks for no later output
  if (StageResult error =
          program.command_line.run(run, start, console_run_settings(0, false), outcome))
    report_failure(*error);
  flush_console();
  return 0;
}

int run_analysis_program(const AnalysisProgram& program, int argc, char** argv) {
  prepare_console();
  if (argc > 1) return run_command_line(program.command_line, program.extension, argc, argv);
  keep_own_window_open();
  std::unique_ptr<FileChooser> chooser = dialogue_file_chooser();
  return run_main_program(program, *chooser);
}
