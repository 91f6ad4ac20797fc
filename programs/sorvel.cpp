// sorvel: the CDM analysis of a fault-slip data file.
#include "runners/cdm_runner.h"
#include "shell/main_program.h"

int main(int argc, char** argv) {
  static const AnalysisProgram program = {
      {"CDM File (*.cdm)", "*.cdm"},
      ".cdm",
      {"sorvel",
       "The CDM analysis: every stress state of the grid with its fitness, the best last,\n"
       "and the confidence of the best state from a bootstrap of the data.\n",
       false, CDM_program_run, true}};
  return run_analysis_program(program, argc, argv);
}
