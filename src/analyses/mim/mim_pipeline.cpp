#include "analyses/mim/mim_pipeline.h"

#include "formats/mim_file.h"
#include "analyses/mim/subset_inversion.h"

// A k that leaves no k-subset cannot be inverted: the run ends here,
// before the data are prepared.
static StageResult check_subset_count(int16_t n, int8_t k) {
  if (k > n) return ErrorReport{"MIM_execute", "Subset size exceeds the number of data", {}, ""};
  if (count_combinations(n, k) == -1)
    return ErrorReport{"MIM_execute", "Number of iteration exceeds the upper bound 2,147,483,647",
                       {}, ""};
  return std::nullopt;
}

StageResult MIM_run(const AnalysisRun& run, const JobTime& start, const RunSettings& settings,
                    MimRun& result) {
  result = MimRun();
  RunTables& tables = result.tables;
  const int8_t k = run.subset_size;
  if (StageResult error = start_run(run, settings, "  * Initialization  1/3 *", tables.faults))
    return error;
  if (StageResult error = check_subset_count(tables.faults.count, k)) return error;
  if (StageResult error =
          prepare_scoring("MIM_execute", "Invalid data", ScoreKeeping::table, tables))
    return error;
  score_stress_states("  * Initialization  2/3 *", run, settings, tables);
  report_progress_message(settings, "  * Initialization  3/3 *");
  if (StageResult error = MIM_invert_subsets(tables.gss, tables.table, k, settings, result.votes)) return error;
  JobTime end = current_job_time();
  report_progress_message(settings, "  * Writing Results                   *");
  MimDescription description = {run.data_file, k, run.weight_id, start, end};
  return MIM_save_results(run.results_file, tables.faults, result.votes, description);
}
