// The moments a MIM job starts and ends, as its results file records
// them: the local clock as a date and a time text.
#ifndef SORVEL_COMMON_JOB_TIME_H_
#define SORVEL_COMMON_JOB_TIME_H_

#include <ctime>
#include <string>

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

#endif  // SORVEL_COMMON_JOB_TIME_H_
