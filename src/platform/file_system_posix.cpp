#include "platform/file_system.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

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
