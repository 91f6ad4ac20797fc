// sorvel-mim: the MIM analysis of a fault-slip data file, in which every
// subset of k data votes for the stress state that explains it best.
#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/subset_size.h"
#include "analyses/run_summary.h"
#include "shell/main_program.h"

static void execute_mim(const std::string& data_file, const std::string& results_file) {
  int8_t k = determine_subset_size();
  MIM_execute(data_file, results_file, k);
}

static std::string run_mim(const RunOptions& options) {
  AnalysisRun run = {options.data_file, options.results_file, options.weight_id};
  return most_voted_summary(MIM_run(run, options.subset_size, current_job_time()));
}

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"MIM File (*.mim)", "*.mim"},
      ".mim",
      execute_mim,
      {"sorvel-mim",
       "The MIM analysis: every subset of k data votes for the stress state that fits\n"
       "it best; the results list the votes of every voted stress state.\n",
       true, run_mim}};
  return run_analysis_program(program, argc, argv);
}
