// Windows (under Wine in CI): the programs are started with CreateProcess,
// their standard streams redirected to files in the folder. The runs use
// the console's file questions (SORVEL_FILE_CHOOSER=console), as a script
// does; the dialogs have a test of their own.
#include "support/program_runner.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

// "export NAME=VALUE;" prefixes become variables of the child; any other
// shell prefix has no meaning here.
std::vector<std::pair<std::string, std::string>> exports_of(const std::string& prefix) {
  std::vector<std::pair<std::string, std::string>> variables;
  size_t at = 0;
  while (at < prefix.size()) {
    while (at < prefix.size() && prefix[at] == ' ') ++at;
    if (at == prefix.size()) break;
    if (prefix.compare(at, 7, "export ") != 0) std::abort();
    size_t end = prefix.find(';', at);
    std::string assignment = prefix.substr(at + 7, end - at - 7);
    size_t equals = assignment.find('=');
    variables.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
    at = end == std::string::npos ? prefix.size() : end + 1;
  }
  return variables;
}

HANDLE inheritable_file(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts the program in `folder` with `input` as its standard input and
// the two output files; the exit status, or -1 after killing a program
// that outlived `seconds`.
int run_and_wait(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, HANDLE input, const std::string& prefix,
                 int seconds) {
  std::string command = quoted(bin_folder() + "\\" + program + ".exe");
  for (const std::string& argument : arguments) command += " " + quoted(argument);
  HANDLE output = inheritable_file(folder + "\\.stdout", true);
  HANDLE errors = inheritable_file(folder + "\\.stderr", true);
  std::vector<std::pair<std::string, std::string>> variables = exports_of(prefix);
  variables.emplace_back("SORVEL_FILE_CHOOSER", "console");
  for (const auto& [name, value] : variables) SetEnvironmentVariableA(name.c_str(), value.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.c_str(), &startup, &process);
  for (const auto& variable : variables) SetEnvironmentVariableA(variable.first.c_str(), nullptr);
  CloseHandle(output);
  CloseHandle(errors);
  if (!started) return -1;
  int status = -1;
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) status = static_cast<int>(code);
  } else {
    TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Wine reports the end of the process a moment before it lets go of
  // its current folder, which cannot be removed until then.
  std::string probe = folder + ".probe";
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (MoveFileA(folder.c_str(), probe.c_str())) {
      MoveFileA(probe.c_str(), folder.c_str());
      break;
    }
    Sleep(20);
  }
  return status;
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
  CloseHandle(stdin_file);
  std::filesystem::remove(folder + "/.stdin");
  return collect(folder, status);
}

ProgramRun run_program_with_arguments(const std::string& program, const std::string& folder,
                                      const std::vector<std::string>& arguments, int seconds) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) std::abort();
  SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
  int status = run_and_wait(program, arguments, folder, read_end, "", seconds);
  CloseHandle(read_end);
  CloseHandle(write_end);  // the input stays open until the program has ended
  return collect(folder, status);
}
