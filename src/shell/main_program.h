// The start-up dialogue that every analysis program shares: banner, file
// choice, the overwrite question and the echo of both names.
#ifndef SORVEL_SHELL_MAIN_PROGRAM_H_
#define SORVEL_SHELL_MAIN_PROGRAM_H_

#include <optional>
#include <string>

#include "common/free_format.h"
#include "shell/command_line.h"
#include "shell/file_chooser.h"

/// What distinguishes one analysis program from another.
struct AnalysisProgram {
  FileFilter results_filter;  // e.g. {"CDM File (*.cdm)", "*.cdm"}
  std::string extension;      // of the proposed results name, e.g. ".cdm"
  CommandLineProgram command_line;  // its name, and the analysis as a runner
};

/// The dialogue at the console when there are no arguments, else the
/// command-line mode; returns the exit status.
int run_analysis_program(const AnalysisProgram& program, int argc, char** argv);

/// Runs the dialogue and the analysis; returns the exit status (0 when
/// the results were written; every other end leaves through exit(1)).
int run_main_program(const AnalysisProgram& program, FileChooser& chooser);

/// True when the answer to the overwrite question consents ("y" only);
/// nothing at the end of input. An answer that supplies no value (a lone
/// comma or slash) leaves the consent as it was, "y".
std::optional<bool> read_overwrite_answer(LineSource& input);

#endif  // SORVEL_SHELL_MAIN_PROGRAM_H_
