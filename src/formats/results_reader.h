// Reading back the results files of the analyses for the pictures: a CDM
// file (59 400 lines of 24 characters, ascending fitness) or a MIM file
// (the data, the size of the grid, the voted stress states and a
// description of the run). The kind is recognised from the content.
#ifndef SORVEL_FORMATS_RESULTS_READER_H_
#define SORVEL_FORMATS_RESULTS_READER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analyses/populations/mim_vote.h"

enum class ResultsKind { cdm, mim };

/// One line of a CDM results file: axes in whole degrees, Phi in tenths.
struct CdmState {
  int s1_azimuth, s1_plunge;
  int s3_azimuth, s3_plunge;
  int phi_tenths;
  long fitness;
  std::string axes_text;  // the first 16 characters: both axes and Phi
};

/// One voted stress state of a MIM results file.

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

/// Parses one CDM results line; false when it is not one.
bool parse_cdm_state(const std::string& line, CdmState& state);

#endif  // SORVEL_FORMATS_RESULTS_READER_H_
