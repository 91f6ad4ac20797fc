// A failure of a stage, handed back to the caller as a value: what the
// shell needs to print the error block (the routine, the message and, for
// a data error, the datum's ordinal). No stage prints or ends the run.
#ifndef SORVEL_COMMON_ERROR_REPORT_H_
#define SORVEL_COMMON_ERROR_REPORT_H_

#include <cstdint>
#include <optional>
#include <string>

struct ErrorReport {
  std::string routine;          // the routine that met the failure
  std::string message;          // the report line's text
  std::optional<int32_t> line;  // the datum ordinal of a data error
  std::string notes;            // message lines shown before the block, each ended
  // One more line of the command-line mode's block, after the report line:
  // where in the file a data error lies and what it is. The dialogue's
  // block has no room for it.
  std::string detail = {};
};

/// What a stage that can fail returns: nothing when it succeeded.
using StageResult = std::optional<ErrorReport>;

#endif  // SORVEL_COMMON_ERROR_REPORT_H_
