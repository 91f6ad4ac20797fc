#include "analyses/cdm/cdm_pipeline.h"

#include <vector>

#include "analyses/cdm/cdm_results.h"
#include "common/state.h"
#include "fitness/ranking.h"
#include "fitness/weight_functions.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

// The sort moves the GridPoints, the table keeps the generated order: the
// ranked best is found in a copy of the grid as generated.
static int32_t generated_index(const std::vector<GridPoint>& generated, const GridPoint& point) {
  for (int32_t k = 0; k < GSS_SIZE; ++k) {
    const GridPoint& g = generated[static_cast<std::size_t>(k)];
    if (g.euler_theta == point.euler_theta && g.euler_phi == point.euler_phi &&
        g.euler_psi == point.euler_psi && g.stress_ratio == point.stress_ratio)
      return k;
  }
  return 0;
}

BestState CDM_run(const AnalysisRun& run, const ScoredRunStage& after_saving) {
  start_run(run, "  * Initialization     *");
  prepare_scoring("CDM_execute", "");
  std::vector<GridPoint> generated;
  if (after_saving) generated.assign(gss, gss + GSS_SIZE);
  BestState best = rank_stress_states();
  show_progress_message("  * Saving Results     *");
  shift_fitness();
  CDM_save_results();
  if (after_saving) {
    after_saving(ScoredRun{fitness_table.scores, fitness_table.columns, generated.data(),
                           generated_index(generated, gss[GSS_SIZE - 1]), best.score_sum,
                           faults.data});
  }
  release_tables();
  return best;
}

void CDM_execute(const std::string& data_file_name, const std::string& results_file_name) {
  determine_weightfunc();
  CDM_run(AnalysisRun{data_file_name, results_file_name, weightfunc_id});
}
