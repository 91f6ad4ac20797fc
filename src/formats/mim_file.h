// The MIM results file: the data analysed, the size of the grid, every
// voted GridPoint with its vote count in grid order, and a description
// of the run; its writer and, for the pictures, its reader.
#ifndef SORVEL_FORMATS_MIM_FILE_H_
#define SORVEL_FORMATS_MIM_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/job_time.h"
#include "common/error_report.h"
#include "common/tables.h"
#include "platform/results_file.h"

/// What the file says of the run that made it.
struct MimDescription {
  std::string data_file;  // as the run was given it
  int8_t k;               // the subset size
  int8_t weight_id;       // 1 to 4
  JobTime start;          // the job's start and end
  JobTime end;
};

/// Writes the results file at `path`: the data, the votes of every
/// GridPoint (grid order) and the description.
StageResult MIM_save_results(const std::string& path, const FaultSet& faults,
                             const GridValues& votes, const MimDescription& description);

/// One line per GridPoint with a vote, in grid order: its 1-based index
/// in 9 columns and its vote count in 9 columns.
void write_voted_gridpoints(ResultsFile& file, const GridValues& votes);

/// "Job Start = YYYY/MM/DD HH:MM:SS.mmm" for a date and time text.
std::string job_time_line(const std::string& date, const std::string& time);

/// A stress state and the votes the subsets of a MIM run gave it.
struct MimVote {
  int32_t index;  // 1-based position of the GridPoint in the grid as generated
  long votes;
};

/// What a MIM file read back holds.
struct MimFileContents {
  long fault_count = 0;        // the number of data analysed
  std::vector<MimVote> votes;  // ascending index
  std::string data_name;       // the data file of the run
  std::string k_text;          // the subset size as written
  std::string function_name;   // the weight function
};

/// True when the first line of a file is a MIM file's count of data.
bool looks_like_mim_file(const std::vector<std::string>& lines);

/// Reads and checks the lines of a whole MIM file; on a problem fills
/// `error` with one sentence and returns false.
bool read_mim_lines(const std::vector<std::string>& lines, MimFileContents& contents,
                    std::string& error);

#endif  // SORVEL_FORMATS_MIM_FILE_H_
