// sorvel-grid: writes the listing of the whole grid of stress states,
// gridpoints.txt and stresstensors.txt, in the current folder.
#include <optional>
#include <string>

#include "formats/grid_listing.h"
#include "grid/gss.h"
#include "grid/stress_tensors.h"
#include "shell/banner.h"
#include "shell/command_line.h"
#include "shell/console.h"
#include "shell/error_reporter.h"
#include "platform/console_window.h"

// The first non-blank character of the answer; an empty answer or the
// end of the input asks for whole numbers.
static std::string read_listing_mode() {
  write_prompt("  Fixed-point listing (r) or whole numbers (any other answer)? ");
  std::string answer;
  if (!console_input().next_line(answer)) return "";
  size_t first = answer.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return answer.substr(first, 1);
}

static int write_listing(bool fixed_point, bool quiet) {
  Gss gss;
  if (!is_GSS_generation_successful(gss))
    report_failure(ErrorReport{"sorvel-grid", "", {}, GSS_FAILURE_NOTES});
  compute_stress_tensors(gss);
  message_line("*** List of computational grid points is saved in the filegridpoints.txt");
  message_line("*** List of stress tensors are saved in the file stresstensors.txt");
  message_line("");
  bool written = write_grid_listing(gss, fixed_point, console_run_settings(1, quiet));
  if (!written) message_line("  File I/O error --- execution terminated.");
  flush_console();
  return written ? 0 : 1;
}

static ProgramTexts grid_texts() {
  return {"sorvel-grid", "sorvel-grid --fixed|--whole [--quiet]",
          "Lists the whole grid of stress states in gridpoints.txt and stresstensors.txt\n"
          "in the current folder, replacing earlier listings. Without arguments\n"
          "sorvel-grid asks at the console instead.\n\n"
          "  --fixed       angles and Phi with one decimal\n"
          "  --whole       angles in whole degrees, Phi in tenths\n"
          "  --quiet       leave out the progress lines\n"
          "  --help, --version\n",
          EXIT_STATUS_HELP};
}

// The command-line mode: the listing form as an option, no pause.
static int run_grid_command_line(int argc, char** argv) {
  set_error_ending(ErrorEnding::standard_error);
  ProgramTexts texts = grid_texts();
  ParsedArguments parsed;
  std::string problem = parse_arguments(argc, argv, GRID_TABLE, parsed);
  if (!problem.empty()) return usage_error(texts, problem);
  if (std::optional<int> status = help_or_version(texts, parsed)) return *status;
  if (!parsed.operands.empty()) return usage_error(texts, "extra argument " + parsed.operands[0]);
  bool fixed = parsed.options.contains("--fixed");
  if (fixed == parsed.options.contains("--whole"))
    return usage_error(texts, "one of --fixed and --whole is required");
  return write_listing(fixed, parsed.options.contains("--quiet"));
}

int main(int argc, char** argv) {
  prepare_console();
  if (argc > 1) return run_grid_command_line(argc, argv);
  keep_own_window_open();
  write_banner();
  std::string mode = read_listing_mode();
  return write_listing(mode == "r", false);
}
