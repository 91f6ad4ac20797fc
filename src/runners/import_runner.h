// What sorvel-import runs: the input read and imported, then either our
// data file written from it or, with --check, the verdict on it.
#ifndef SORVEL_RUNNERS_IMPORT_RUNNER_H_
#define SORVEL_RUNNERS_IMPORT_RUNNER_H_

#include <string>
#include <vector>

#include "import/import_run.h"

/// What the command line asks for.
struct ImportRequest {
  ImportOptions options;
  bool skip_bad = false;
  bool overwrite = false;
  bool check = false;
  std::vector<std::string> files;  // INPUT OUTPUT, or FILE with --check
};

/// What came of it, for standard error: the rows reported, then the last
/// line, and the exit status.
struct ImportVerdict {
  std::vector<std::string> report;  // "NAME:LINE: message", in file order
  std::string last_line;
  int status;
};

ImportVerdict import_run(const ImportRequest& request);

#endif  // SORVEL_RUNNERS_IMPORT_RUNNER_H_
