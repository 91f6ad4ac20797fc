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
