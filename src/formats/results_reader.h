// Reading back the results files of the analyses for the pictures: a CDM
// file (59 400 lines of 24 characters, ascending fitness) or a MIM file
// (the data, the size of the grid, the voted stress states and a
// description of the run). The kind is recognised from the content.
#ifndef SORVEL_FORMATS_RESULTS_READER_H_
#define SORVEL_FORMATS_RESULTS_READER_H_

#include <string>
#include <vector>

#include "formats/cdm_file.h"
#include "formats/mim_file.h"

enum class ResultsKind { cdm, mim };

struct PlotResults {
  ResultsKind kind = ResultsKind::cdm;
  std::vector<CdmState> states;  // CDM: the lines in file order
  long fault_count = 0;          // MIM: the number of data analysed
  std::vector<MimVote> votes;    // MIM: ascending index
  std::string data_name;         // MIM: the data file of the run
  std::string k_text;            // MIM: the subset size as written
  std::string function_name;     // MIM: the weight function
};

/// Reads and checks the results file at `path`. On a problem fills
/// `error` with one sentence and returns false.
bool read_results_file(const std::string& path, PlotResults& results, std::string& error);

#endif  // SORVEL_FORMATS_RESULTS_READER_H_
