// Safe writing of a results file: the text goes to a temporary file in
// the same folder, every write and the close are checked, and only a
// complete file is renamed over the chosen name. A failed or interrupted
// run thus never leaves a half-written file, and an earlier file of that
// name stays as it was.
#ifndef SORVEL_PLATFORM_RESULTS_FILE_H_
#define SORVEL_PLATFORM_RESULTS_FILE_H_

#include <cstdio>
#include <string>

struct ResultsFile {
  std::string path;       // the name the file gets when complete
  std::string temp_path;  // where it is written meanwhile
  std::FILE* stream = nullptr;
  bool failed = false;    // a write has failed
  int slot = -1;          // its place in the interrupt clean-up list
};

/// Creates the temporary file; false when it cannot be created.
bool results_file_open(ResultsFile& file, const std::string& path);

/// Buffered write; a failure is remembered and reported by the commit.
void results_file_write(ResultsFile& file, const std::string& text);

/// Flushes, closes and renames the file into place; on any failure removes
/// the temporary file and returns false.
bool results_file_commit(ResultsFile& file);

/// Closes and removes the temporary file.
void results_file_discard(ResultsFile& file);

#endif  // SORVEL_PLATFORM_RESULTS_FILE_H_
