#include "shell/file_chooser.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "shell/console.h"

namespace fs = std::filesystem;

static std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string completed_file_name(const std::string& typed) {
  std::string name = trimmed(typed);
  if (name.empty()) return name;
  size_t slash = name.find_last_of('/');
  std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
  if (!last.empty() && last.find('.') == std::string::npos) name += ".txt";
  return name;
}

std::string proposed_results_name(const std::string& data_file, const std::string& extension) {
  fs::path path(data_file);
  path.replace_extension(extension);
  return path.string();
}

bool path_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool is_folder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool folder_of_path_exists(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) return true;
  std::error_code error;
  return fs::is_directory(folder, error);
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
  fs::path absolute_a = fs::absolute(a, error);
  if (error) return false;
  fs::path absolute_b = fs::absolute(b, error);
  return !error && absolute_a.lexically_normal() == absolute_b.lexically_normal();
}

static void list_filters(const std::vector<FileFilter>& filters) {
  std::string list = "  Files of type: ";
  for (size_t i = 0; i < filters.size(); ++i) {
    if (i > 0) list += ", ";
    list += filters[i].display;
  }
  message_line(list);
}

// Asks until the answer names a file in an existing folder. An empty
// answer takes `fallback` (nothing for the open question).
static std::optional<std::string> ask_file_name(const std::string& prompt,
                                                const std::optional<std::string>& fallback) {
  for (;;) {
    write_prompt(prompt);
    std::string line;
    if (!console_input().next_line(line)) {
      write_line("");
      return std::nullopt;
    }
    std::string name = completed_file_name(line);
    if (name.empty()) return fallback;
    if (folder_of_path_exists(name)) return name;
    message_line("  The folder of this file does not exist: " + fs::path(name).parent_path().string());
  }
}

std::optional<std::string> ConsoleFileChooser::choose_open(const std::vector<FileFilter>& filters) {
  message_line("  Choose the fault-slip data file to open");
  list_filters(filters);
  return ask_file_name("  File name = ", std::nullopt);
}

std::optional<std::string> ConsoleFileChooser::choose_save(const std::vector<FileFilter>& filters,
                                                           const std::string& proposed) {
  message_line("  Choose the file to save the results in (Enter accepts the proposed name)");
  list_filters(filters);
  return ask_file_name("  File name [" + proposed + "] = ", proposed);
}

[[noreturn]] static void stop_without_file() {
  message_line("No data file specified --- Execution terminated.");
  flush_console();
  std::exit(1);
}

std::string choose_data_file(FileChooser& chooser) {
  static const std::vector<FileFilter> filters = {{"Fault Data Files (*.fdt)", "*.fdt"},
                                                  {"Text Files (*.txt)", "*.txt"},
                                                  {"All Files (*.*)", "*.*"}};
  std::optional<std::string> name = chooser.choose_open(filters);
  if (!name) stop_without_file();
  return *name;
}

std::string choose_save_file(FileChooser& chooser, const std::vector<FileFilter>& filters,
                             const std::string& proposed) {
  std::optional<std::string> name = chooser.choose_save(filters, proposed);
  if (!name) stop_without_file();
  return *name;
}
