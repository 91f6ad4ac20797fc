// Windows (under Wine in CI): the programs are started with CreateProcess,
// their standard streams redirected to files in the folder. The runs use
// the console's file questions (SORVEL_FILE_CHOOSER=console), as a script
// does; the dialogs have a test of their own.
#include "support/program_runner.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

namespace {

// The build folder as Windows names it: CTest starts the tests there, on
// the drive that holds the sources, so test folders go beside it and the
// sources' absolute paths name the same files from inside them.
std::string bin_folder() {
  char full[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(SORVEL_BIN_DIR, sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) std::abort();
  return std::string(full, length);
}

// One argument as the C runtime splits a command line.
std::string quoted(const std::string& word) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      out.append(2 * backslashes + 1, '\\');
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, '\\');
  return out + "\"";
}

// What a shell prefix does to the child's environment: "export NAME=VALUE;"
// and "NAME=VALUE" set a variable, "unset NAME;" removes one (an empty
// value). Nothing else a shell can do before a command (ulimit, trap...)
// has a meaning here: false then.
using Variables = std::vector<std::pair<std::string, std::optional<std::string>>>;

bool variables_of(const std::string& prefix, Variables& variables) {
  size_t at = 0;
  while (at < prefix.size()) {
    size_t end = prefix.find(';', at);
    if (end == std::string::npos) end = prefix.size();
    std::string command = prefix.substr(at, end - at);
    at = end + 1;
    size_t first = command.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    command = command.substr(first, command.find_last_not_of(' ') + 1 - first);
    if (command.rfind("export ", 0) == 0) command = command.substr(7);
    if (command.rfind("unset ", 0) == 0) {
      std::string name = command.substr(6);
      if (name.empty() || name.find(' ') != std::string::npos) return false;
      variables.emplace_back(name, std::nullopt);
      continue;
    }
    size_t equals = command.find('=');
    if (equals == 0 || equals == std::string::npos || command.find(' ') != std::string::npos) {
      return false;
    }
    variables.emplace_back(command.substr(0, equals), command.substr(equals + 1));
  }
  return true;
}

// Sets the variables for the children started while it lives, and puts
// back what the test program had when it ends.
class ChildEnvironment {
 public:
  explicit ChildEnvironment(const Variables& variables) {
    for (const auto& [name, value] : variables) {
      char old[32768];
      DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
      if (length > 0 && length < sizeof old) {
        saved_.emplace_back(name, std::string(old, length));
      } else {
        saved_.emplace_back(name, std::nullopt);
      }
      SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    }
  }
  ~ChildEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      SetEnvironmentVariableA(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    }
  }
  ChildEnvironment(const ChildEnvironment&) = delete;
  ChildEnvironment& operator=(const ChildEnvironment&) = delete;

 private:
  Variables saved_;
};

HANDLE inheritable_file(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Wine reports the end of a process before it has closed the process's
// handles: its current folder and the files of its standard streams stay
// open a moment longer, much longer on a busy machine, and cannot be
// removed until then (DeleteFile and RemoveDirectory fail with "access
// denied"). Waits until the output files can be opened with no sharing at
// all and the folder can be renamed.
void wait_until_released(const std::string& folder) {
  auto free_file = [](const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
      return true;
    }
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  };
  auto free_folder = [&folder] {
    std::string probe = folder + ".probe";
    if (!MoveFileA(folder.c_str(), probe.c_str())) return false;
    MoveFileA(probe.c_str(), folder.c_str());
    return true;
  };
  ULONGLONG deadline = GetTickCount64() + 60000;
  while (!(free_file(folder + "\\.stdout") && free_file(folder + "\\.stderr") &&
           free_folder())) {
    if (GetTickCount64() > deadline) return;
    Sleep(10);
  }
}

// A program started in its folder: the process, or none (with the reason
// in the folder's .stderr), and the input handle to close once it ends.
struct StartedProcess {
  PROCESS_INFORMATION process = {};
  bool started = false;
  HANDLE input = nullptr;
};

// The command line of the program with its arguments.
std::string command_line_of(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = quoted(bin_folder() + "\\" + program + ".exe");
  for (const std::string& argument : arguments) command += " " + quoted(argument);
  return command;
}

// Starts the program in `folder` with `input` as its standard input and
// the two output files; the environment is the caller's.
StartedProcess start_in_folder(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& folder, HANDLE input) {
  StartedProcess child;
  child.input = input;
  std::string command = command_line_of(program, arguments);
  HANDLE output = inheritable_file(folder + "\\.stdout", true);
  HANDLE errors = inheritable_file(folder + "\\.stderr", true);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  child.started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 folder.c_str(), &startup, &child.process);
  DWORD error = GetLastError();
  CloseHandle(output);
  CloseHandle(errors);
  if (!child.started)
    write_file(folder + "/.stderr", "not run: CreateProcess failed with error " +
                                        std::to_string(error) + "\n");
  return child;
}

// The exit status, or -1 after killing a program that outlived `seconds`
// (or one that never started). Closes the input once the program has ended.
int wait_for(StartedProcess& child, const std::string& folder, int seconds) {
  if (!child.started) {
    CloseHandle(child.input);
    return -1;
  }
  int status = -1;
  HANDLE process = child.process.hProcess;
  if (WaitForSingleObject(process, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(process, &code)) status = static_cast<int>(code);
  } else {
    TerminateProcess(process, 255);
    WaitForSingleObject(process, INFINITE);
  }
  CloseHandle(child.process.hThread);
  CloseHandle(process);
  CloseHandle(child.input);
  wait_until_released(folder);
  return status;
}

// Starts the program in `folder` with `input` as its standard input and
// the two output files; the exit status, or -1 after killing a program
// that outlived `seconds`. Closes `input` once the program has ended.
int run_and_wait(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, HANDLE input, const std::string& prefix,
                 int seconds) {
  Variables variables;
  if (!variables_of(prefix, variables)) {
    write_file(folder + "/.stdout", "");
    write_file(folder + "/.stderr", "not run: the shell prefix \"" + prefix +
                                        "\" has no meaning on Windows\n");
    CloseHandle(input);
    return -1;
  }
  variables.emplace_back("SORVEL_FILE_CHOOSER", "console");
  ChildEnvironment environment(variables);
  StartedProcess child = start_in_folder(program, arguments, folder, input);
  return wait_for(child, folder, seconds);
}

// An input pipe that stays open and empty: its read end for the child,
// its write end (not inherited) in `write_end`.
HANDLE open_empty_input(HANDLE& write_end) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) std::abort();
  SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
  return read_end;
}

ProgramRun collect(const std::string& folder, int status) {
  ProgramRun run;
  run.status = status;
  run.output = read_file(folder + "/.stdout");
  run.errors = read_file(folder + "/.stderr");
  std::filesystem::remove(folder + "/.stdout");
  std::filesystem::remove(folder + "/.stderr");
  return run;
}

}  // namespace

std::string make_temp_folder() {
  std::filesystem::path base = std::filesystem::path(bin_folder()) / "test-folders";
  std::filesystem::create_directories(base);
  unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 24);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    std::filesystem::path folder = base / ("sorvel-test-" + std::to_string((seed >> 20) % 100000000));
    if (std::filesystem::create_directory(folder)) return folder.string();
  }
  std::abort();
}

ProgramRun run_program(const std::string& program, const std::string& folder,
                       const std::string& input, const std::string& shell_prefix) {
  write_file(folder + "/.stdin", input);
  HANDLE stdin_file = inheritable_file(folder + "\\.stdin", false);
  int status = run_and_wait(program, {}, folder, stdin_file, shell_prefix, 600);
  std::filesystem::remove(folder + "/.stdin");
  return collect(folder, status);
}

ProgramRun run_program_with_arguments(const std::string& program, const std::string& folder,
                                      const std::vector<std::string>& arguments, int seconds) {
  HANDLE write_end = nullptr;
  HANDLE read_end = open_empty_input(write_end);
  int status = run_and_wait(program, arguments, folder, read_end, "", seconds);
  CloseHandle(write_end);  // the input stays open until the program has ended
  return collect(folder, status);
}

std::vector<ProgramRun> run_programs_together(const std::string& program,
                                              const std::vector<ProgramStart>& starts,
                                              int seconds) {
  Variables variables;
  variables.emplace_back("SORVEL_FILE_CHOOSER", "console");
  ChildEnvironment environment(variables);
  std::vector<StartedProcess> children;
  std::vector<HANDLE> write_ends;
  for (const ProgramStart& start : starts) {
    HANDLE write_end = nullptr;
    HANDLE read_end = open_empty_input(write_end);
    write_ends.push_back(write_end);
    children.push_back(start_in_folder(program, start.arguments, start.folder, read_end));
  }
  std::vector<ProgramRun> runs;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    int status = wait_for(children[i], starts[i].folder, seconds);
    CloseHandle(write_ends[i]);
    runs.push_back(collect(starts[i].folder, status));
  }
  return runs;
}
