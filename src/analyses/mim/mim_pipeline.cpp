#include "analyses/mim/mim_pipeline.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "analyses/mim/mim_results.h"
#include "analyses/mim/subset_inversion.h"
#include "analyses/run_summary.h"
#include "common/number_format.h"
#include "common/state.h"
#include "fitness/weight_functions.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

// ln 2147483647: from this count on, the subset counter would overflow.
static const double LN_COUNTER_BOUND = 21.487562596892644;

int32_t count_combinations(int16_t n, int8_t k) {
  double a = 0.0;  // ln n (n - 1) ... (n - k + 1)
  double b = 0.0;  // ln k!
  for (int i = 1; i <= k; ++i) b += std::log(static_cast<double>(i));
  for (int i = 0; i < k; ++i) a += std::log(static_cast<double>(n - i));
  double d = a - b;
  if (!(d < LN_COUNTER_BOUND)) return -1;  // also when d is not a number
  return static_cast<int32_t>(round_half_away(std::exp(d)));
}

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
  using namespace std::chrono;
  // Milliseconds since the epoch, which is positive, so that division
  // splits it into the whole second and the milliseconds within it.
  long long since_epoch =
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(since_epoch / 1000);
  std::tm local;
  localtime_r(&seconds, &local);
  return job_time_of(local, static_cast<int>(since_epoch % 1000));
}

// A k that leaves no k-subset cannot be inverted: end the run here, before
// the data are prepared.
static void check_subset_count(int8_t k) {
  if (k > faults.count) ErrorReporter("MIM_execute", "Subset size exceeds the number of data");
  if (count_combinations(faults.count, k) == -1)
    ErrorReporter("MIM_execute", "Number of iteration exceeds the upper bound 2,147,483,647");
}

MostVoted MIM_run(const AnalysisRun& run, int8_t k, const JobTime& start) {
  start_run(run, "  * Initialization  1/3 *");
  check_subset_count(k);
  prepare_scoring("MIM_execute", "Invalid data");
  score_stress_states("  * Initialization  2/3 *");
  show_progress_message("  * Initialization  3/3 *");
  MIM_invert_subsets(k);
  JobTime end = current_job_time();
  show_progress_message("  * Writing Results                   *");
  MIM_save_results(run.data_file, k, start.date, start.time, end.date, end.time);
  release_tables();
  return most_voted_state();
}

void MIM_execute(const std::string& data_file_name, const std::string& results_file_name,
                 int8_t k) {
  JobTime start = current_job_time();  // the job includes the choice of the weight function
  determine_weightfunc();
  MIM_run(AnalysisRun{data_file_name, results_file_name, weightfunc_id}, k, start);
}
