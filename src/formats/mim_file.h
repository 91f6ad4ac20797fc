// The MIM results file: the data analysed, the size of the grid, every
// voted GridPoint with its vote count in grid order, and a description
// of the run.
#ifndef SORVEL_FORMATS_MIM_FILE_H_
#define SORVEL_FORMATS_MIM_FILE_H_

#include <cstdint>
#include <string>

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

#endif  // SORVEL_FORMATS_MIM_FILE_H_
