// Windows: names are passed to the ANSI calls as they are (UTF-8, which
// the programs' manifest makes the active code page); `stat` of the C
// runtime has no inode, so the same file is found by its volume and its
// file index.
#include "platform/file_system.h"

#include <windows.h>

#include <cctype>

static DWORD attributes_of(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool path_exists(const std::string& path) {
  return !path.empty() && attributes_of(path) != INVALID_FILE_ATTRIBUTES;
}

bool is_folder(const std::string& path) {
  DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder part of a path: everything before the last separator, kept
// whole where it is a root ("C:\", "\") or a bare drive ("C:").
static std::string folder_part(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  bool drive = path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
  if (separator == std::string::npos) return drive ? path.substr(0, 2) : "";
  if (separator == 0 || (drive && separator == 2)) return path.substr(0, separator + 1);
  return path.substr(0, separator);
}

bool folder_of_path_exists(const std::string& path) {
  std::string folder = folder_part(path);
  return folder.empty() || is_folder(folder);
}

// Volume serial number and file index of an existing file, opened for
// neither reading nor writing so that a file in use still answers.
static bool file_identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  return ok;
}

static std::string full_path(const std::string& path) {
  char buffer[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return "";
  std::string full(buffer, length);
  for (char& c : full) {
    if (c == '/') c = '\\';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return full;
}

bool same_file(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info_a, info_b;
  if (path_exists(a) && path_exists(b)) {
    if (!file_identity(a, info_a) || !file_identity(b, info_b)) return false;
    return info_a.dwVolumeSerialNumber == info_b.dwVolumeSerialNumber &&
           info_a.nFileIndexHigh == info_b.nFileIndexHigh &&
           info_a.nFileIndexLow == info_b.nFileIndexLow;
  }
  // Windows names are case-blind: "DATA.FDT" and "data.fdt" are one file.
  std::string full_a = full_path(a), full_b = full_path(b);
  return !full_a.empty() && full_a == full_b;
}
