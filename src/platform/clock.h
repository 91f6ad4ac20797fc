// The local clock, which each platform reads its own way.
#ifndef SORVEL_PLATFORM_CLOCK_H_
#define SORVEL_PLATFORM_CLOCK_H_

#include <ctime>

/// A moment of the local clock: the broken-down time and the
/// milliseconds within its second.
struct LocalTime {
  std::tm local;
  int milliseconds;
};

LocalTime local_time_now();

#endif  // SORVEL_PLATFORM_CLOCK_H_
