// Runs the real programs for end-to-end tests: scripted console answers
// in, console transcript and exit status out.
#ifndef SORVEL_TESTS_SUPPORT_PROGRAM_RUNNER_H_
#define SORVEL_TESTS_SUPPORT_PROGRAM_RUNNER_H_

#include <string>
#include <vector>

struct ProgramRun {
  std::string output;  // everything written to standard output
  std::string errors;  // everything written to standard error
  int status = -1;     // exit status, -1 when the program did not exit
};

/// A fresh empty folder under the system's temporary folder.
std::string make_temp_folder();

/// Runs `program` (a name in the build's program folder) in `folder`
/// with `input` as standard input. `shell_prefix` goes before the command
/// (for ulimit and the like).
ProgramRun run_program(const std::string& program, const std::string& folder,
                       const std::string& input, const std::string& shell_prefix = "");

/// Runs `program` in `folder` with `arguments` and no shell between. Its
/// standard input is a pipe that stays open and empty, so that a program
/// that reads it waits; one still running after `seconds` is killed
/// (status -1).
ProgramRun run_program_with_arguments(const std::string& program, const std::string& folder,
                                      const std::vector<std::string>& arguments, int seconds = 300);

/// One run of a program started together with others: its folder (which
/// must be its own: the standard streams are kept there) and arguments.
struct ProgramStart {
  std::string folder;
  std::vector<std::string> arguments;
};

/// Starts `program` once for each of `starts`, all before waiting for any,
/// and then waits for every one of them (each as run_program_with_arguments
/// would); the runs in the order of `starts`.
std::vector<ProgramRun> run_programs_together(const std::string& program,
                                              const std::vector<ProgramStart>& starts,
                                              int seconds = 300);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

/// Lines of a text split at "\n" (a final line end gives no empty line).
std::vector<std::string> split_lines(const std::string& text);

/// The path of an example data file of the project.
std::string example_path(const std::string& name);

#endif  // SORVEL_TESTS_SUPPORT_PROGRAM_RUNNER_H_
