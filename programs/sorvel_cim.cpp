// sorvel-cim: the CIM analysis of a fault-slip data file, listing the
// misfit angle of every datum under every stress state.
#include "analyses/cim/cim_pipeline.h"
#include "shell/main_program.h"

int main() {
  AnalysisProgram program = {{"CIM File (*.cim)", "*.cim"}, ".cim", CIM_execute};
  ConsoleFileChooser chooser;
  return run_main_program(program, chooser);
}
