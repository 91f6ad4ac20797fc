#include "common/job_time.h"

#include <cstdio>

#include "platform/clock.h"

JobTime job_time_of(const std::tm& local, int milliseconds) {
  char date[48];
  char time[48];
  std::snprintf(date, sizeof date, "%04d%02d%02d    ", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  std::snprintf(time, sizeof time, "%02d%02d%02d.%03d  ", local.tm_hour, local.tm_min,
                local.tm_sec, milliseconds);
  return JobTime{date, time};
}

JobTime current_job_time() {
  LocalTime now = local_time_now();
  return job_time_of(now.local, now.milliseconds);
}
