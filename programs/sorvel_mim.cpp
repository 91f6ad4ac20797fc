// sorvel-mim: the MIM analysis of a fault-slip data file, in which every
// subset of k data votes for the stress state that explains it best.
#include "analyses/mim/mim_pipeline.h"
#include "analyses/mim/subset_size.h"
#include "shell/main_program.h"

static void execute_mim(const std::string& data_file, const std::string& results_file) {
  int8_t k = determine_subset_size();
  MIM_execute(data_file, results_file, k);
}

int main() {
  AnalysisProgram program = {{"MIM File (*.mim)", "*.mim"}, ".mim", execute_mim};
  ConsoleFileChooser chooser;
  return run_main_program(program, chooser);
}
