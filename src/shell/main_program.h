// The start-up dialogue that every analysis program shares: banner, file
// choice, the overwrite question and the echo of both names.
#ifndef SORVEL_SHELL_MAIN_PROGRAM_H_
#define SORVEL_SHELL_MAIN_PROGRAM_H_

#include <optional>
#include <string>

#include "analyses/mim/mim_results.h"
#include "analyses/shared_stages.h"
#include "common/error_report.h"
#include "common/free_format.h"
#include "common/run_settings.h"
#include "shell/command_line.h"
#include "shell/file_chooser.h"

/// An analysis as a program runs it: the run's answers, the start of the
/// job (the MIM file records it) and the settings in; the summary line of
/// the command-line mode out, or the failure.
using AnalysisRunner = StageResult (*)(const AnalysisRun& run, const JobTime& start,
                                       const RunSettings& settings, std::string& summary);

/// What distinguishes one analysis program from another.
struct AnalysisProgram {
  FileFilter results_filter;  // e.g. {"CDM File (*.cdm)", "*.cdm"}
  std::string extension;      // of the proposed results name, e.g. ".cdm"
  bool asks_subset_size;      // the MIM analysis asks for k before the weight function
  AnalysisRunner run;
  CommandLineProgram command_line;  // the same analysis with its answers as options
};

/// The dialogue at the console when there are no arguments, else the
/// command-line mode; returns the exit status.
int run_analysis_program(const AnalysisProgram& program, int argc, char** argv);

/// Runs the dialogue and the analysis; returns the exit status (0 when
/// the results were written; every other end leaves through exit(1)).
int run_main_program(const AnalysisProgram& program, FileChooser& chooser);

/// The command-line mode's run: the analysis with the options' answers
/// and settings; returns the summary line, or prints the error block on
/// standard error and ends with status 1.
std::string run_with_options(AnalysisRunner runner, const RunOptions& options);

/// True when the answer to the overwrite question consents ("y" only);
/// nothing at the end of input. An answer that supplies no value (a lone
/// comma or slash) leaves the consent as it was, "y".
std::optional<bool> read_overwrite_answer(LineSource& input);

#endif  // SORVEL_SHELL_MAIN_PROGRAM_H_
