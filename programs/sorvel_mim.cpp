// sorvel-mim: the MIM analysis of a fault-slip data file, in which every
// subset of k data votes for the stress state that explains it best; in
// the command-line mode the data are then separated into populations.
#include "runners/mim_runner.h"
#include "shell/main_program.h"

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"MIM File (*.mim)", "*.mim"},
      ".mim",
      {"sorvel-mim",
       "The MIM analysis: every subset of k data votes for the stress state that fits\n"
       "it best; the results list the votes of every voted stress state. The data are\n"
       "then separated into populations, each with its stress state and confidence.\n",
       true, MIM_program_run, true}};
  return run_analysis_program(program, argc, argv);
}
