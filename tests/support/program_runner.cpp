#include "support/program_runner.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  std::filesystem::remove(folder + "/.stdin");
  std::filesystem::remove(folder + "/.stdout");
  std::filesystem::remove(folder + "/.stderr");
  return run;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string example_path(const std::string& name) {
  return std::string(SORVEL_SOURCE_DIR) + "/examples/" + name;
}
