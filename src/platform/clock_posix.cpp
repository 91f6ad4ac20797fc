#include "platform/clock.h"

#include <chrono>

LocalTime local_time_now() {
  using namespace std::chrono;
  // Milliseconds since the epoch, which is positive, so that division
  // splits it into the whole second and the milliseconds within it.
  long long since_epoch =
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(since_epoch / 1000);
  LocalTime now;
  localtime_r(&seconds, &now.local);
  now.milliseconds = static_cast<int>(since_epoch % 1000);
  return now;
}
