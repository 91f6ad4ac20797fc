// The MIM analysis: the shared stages up to the filled fitness table, a
// vote of every k-subset of the data, and the results file with the
// voted stress states and the start and end of the job.
#ifndef SORVEL_ANALYSES_MIM_MIM_PIPELINE_H_
#define SORVEL_ANALYSES_MIM_MIM_PIPELINE_H_

#include <cstdint>
#include <ctime>
#include <string>

#include "analyses/run_summary.h"
#include "analyses/shared_stages.h"

/// The number of k-subsets of n data, C(n, k), judged through logarithms
/// in double precision; -1 when it reaches 2147483647, the most the
/// subset counter holds.
int32_t count_combinations(int16_t n, int8_t k);

/// A moment of the local clock as two 12-character texts: the date
/// "YYYYMMDD" and the time "HHMMSS.mmm", each padded with blanks.
struct JobTime {
  std::string date;
  std::string time;
};

/// The texts of a broken-down local time and its milliseconds.
JobTime job_time_of(const std::tm& local, int milliseconds);

/// The local clock now.
JobTime current_job_time();

/// Runs the analysis for subset size k with the run's answers and writes
/// the results file, giving `start` as the start of the job; returns the
/// most-voted stress state. Every failure ends the run through ErrorReporter.
MostVoted MIM_run(const AnalysisRun& run, int8_t k, const JobTime& start);

/// The dialogue's run (k already asked): takes the start of the job, asks
/// for the weight function, then MIM_run.
void MIM_execute(const std::string& data_file_name, const std::string& results_file_name,
                 int8_t k);

#endif  // SORVEL_ANALYSES_MIM_MIM_PIPELINE_H_
