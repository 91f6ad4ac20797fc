#include "support/program_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

std::string make_temp_folder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sorvel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

ProgramRun run_program(const std::string& program, const std::string& folder,
                       const std::string& input, const std::string& shell_prefix) {
  write_file(folder + "/.stdin", input);
  std::string command = "cd '" + folder + "' && " + shell_prefix + " '" + SORVEL_BIN_DIR + "/" +
                        program + "' < .stdin > .stdout 2> .stderr";
  int raw = std::system(command.c_str());
  ProgramRun run;
  run.output = read_file(folder + "/.stdout");
  run.errors = read_file(folder + "/.stderr");
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  std::filesystem::remove(folder + "/.stdin");
  std::filesystem::remove(folder + "/.stdout");
  std::filesystem::remove(folder + "/.stderr");
  return run;
}

// In the child: the folder, the open pipe as standard input, the two
// output files, then the program.
[[noreturn]] static void exec_in_folder(const std::string& path, const std::string& folder,
                                        std::vector<char*>& argv, int input) {
  if (chdir(folder.c_str()) != 0) _exit(127);
  dup2(input, 0);
  dup2(open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
  dup2(open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
  execv(path.c_str(), argv.data());
  _exit(127);
}

// The exit status, or -1 after killing a program that outlived `seconds`.
static int wait_at_most(pid_t child, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int raw = 0;
  while (waitpid(child, &raw, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &raw, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

namespace {

// A child started in its folder, standard input an open pipe.
struct StartedChild {
  pid_t pid;
  int input;  // the pipe's write end, kept open until the child has ended
};

StartedChild start_in_folder(const std::string& program, const std::string& folder,
                             const std::vector<std::string>& arguments) {
  std::string path = std::string(SORVEL_BIN_DIR) + "/" + program;
  std::vector<std::string> words = {path};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) std::abort();
  // Children started later must not hold this one's input open.
  fcntl(pipe_ends[1], F_SETFD, FD_CLOEXEC);
  pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[1]);
    exec_in_folder(path, folder, argv, pipe_ends[0]);
  }
  close(pipe_ends[0]);
  return StartedChild{child, pipe_ends[1]};
}

ProgramRun finish(const StartedChild& child, const std::string& folder, int seconds) {
  ProgramRun run;
  run.status = wait_at_most(child.pid, seconds);
  close(child.input);
  run.output = read_file(folder + "/.stdout");
  run.errors = read_file(folder + "/.stderr");
  std::filesystem::remove(folder + "/.stdout");
  std::filesystem::remove(folder + "/.stderr");
  return run;
}

}  // namespace

ProgramRun run_program_with_arguments(const std::string& program, const std::string& folder,
                                      const std::vector<std::string>& arguments, int seconds) {
  return finish(start_in_folder(program, folder, arguments), folder, seconds);
}

std::vector<ProgramRun> run_programs_together(const std::string& program,
                                              const std::vector<ProgramStart>& starts,
                                              int seconds) {
  std::vector<StartedChild> children;
  for (const ProgramStart& start : starts)
    children.push_back(start_in_folder(program, start.folder, start.arguments));
  std::vector<ProgramRun> runs;
  for (std::size_t i = 0; i < starts.size(); ++i)
    runs.push_back(finish(children[i], starts[i].folder, seconds));
  return runs;
}
