// Questions to the file system whose answers differ in form between
// POSIX and Windows; the rest of the program asks them here.
#ifndef SORVEL_PLATFORM_FILE_SYSTEM_H_
#define SORVEL_PLATFORM_FILE_SYSTEM_H_

#include <string>

/// True when something (a file, a folder) of this name exists.
bool path_exists(const std::string& path);

/// True when `path` names a folder.
bool is_folder(const std::string& path);

/// True when the folder that would hold `path` exists.
bool folder_of_path_exists(const std::string& path);

/// True when writing `b` would replace `a`: the same file (through links
/// too), or, where one of them does not exist yet, the same absolute path.
bool same_file(const std::string& a, const std::string& b);

#endif  // SORVEL_PLATFORM_FILE_SYSTEM_H_
