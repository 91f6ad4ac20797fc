// sorvel: the CDM analysis of a fault-slip data file.
#include "analyses/cdm/cdm_pipeline.h"
#include "shell/main_program.h"

int main() {
  AnalysisProgram program = {{"CDM File (*.cdm)", "*.cdm"}, ".cdm", CDM_execute};
  ConsoleFileChooser chooser;
  return run_main_program(program, chooser);
}
