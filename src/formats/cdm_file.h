// The CDM results file: one line per stress state in ascending fitness,
// sigma1 and sigma3 axes in whole degrees, Phi in tenths, fitness; its
// writer and, for the pictures, its reader.
#ifndef SORVEL_FORMATS_CDM_FILE_H_
#define SORVEL_FORMATS_CDM_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/run_settings.h"
#include "common/tables.h"
#include "grid/state_axes.h"

/// The 24-character line of a GridPoint with the given (shifted) fitness,
/// without line end.
std::string CDM_results_line(const GridPoint& point, int32_t fitness);

/// Writes the results file: the GridPoints in the ranking's order, each
/// with its fitness (in grid order) less `lowest`; line by line with
/// CDM_results_line where the settings ask for the reference.
StageResult CDM_save_results(const std::string& path, const Gss& gss,
                             const std::vector<int32_t>& order, const GridValues& fitness,
                             int32_t lowest, const RunSettings& settings);

/// One line of a CDM results file: axes in whole degrees, Phi in tenths.
struct CdmState {
  WholeDegreeAxis sigma1;
  WholeDegreeAxis sigma3;
  int phi_tenths;
  long fitness;
  std::string axes_text;  // the first 16 characters: both axes and Phi
};

/// Parses one CDM results line; false when it is not one.
bool parse_cdm_state(const std::string& line, CdmState& state);

/// Reads and checks the lines of a whole CDM file (59400 lines, fitness
/// ascending) into `states`; on a problem fills `error` with one sentence
/// and returns false.
bool read_cdm_lines(const std::vector<std::string>& lines, std::vector<CdmState>& states,
                    std::string& error);

#endif  // SORVEL_FORMATS_CDM_FILE_H_
