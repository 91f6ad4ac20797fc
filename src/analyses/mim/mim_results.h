// The MIM results file: the data analysed, the size of the grid, every
// voted GridPoint with its vote count in grid order, and a description
// of the run.
#ifndef SORVEL_ANALYSES_MIM_MIM_RESULTS_H_
#define SORVEL_ANALYSES_MIM_MIM_RESULTS_H_

#include <cstdint>
#include <string>

#include "common/results_file.h"

/// Writes the results file named by file_names.results_file. The dates
/// are "YYYYMMDD" and the times "HHMMSS.mmm" (blank-padded texts of 12
/// characters); a failure ends the run through ErrorReporter.
void MIM_save_results(const std::string& data_file_name, int8_t k, const std::string& start_date,
                      const std::string& start_time, const std::string& end_date,
                      const std::string& end_time);

/// One line per GridPoint with a vote, in grid order: its 1-based index
/// in 9 columns and its vote count in 9 columns.
void write_voted_gridpoints(ResultsFile& file);

/// "Job Start = YYYY/MM/DD HH:MM:SS.mmm" for a date and time text.
std::string job_time_line(const std::string& date, const std::string& time);

#endif  // SORVEL_ANALYSES_MIM_MIM_RESULTS_H_
