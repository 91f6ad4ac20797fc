// The CDM results file: one line per stress state in ascending fitness,
// sigma1 and sigma3 axes in whole degrees, Phi in tenths, fitness.
#ifndef SORVEL_FORMATS_CDM_FILE_H_
#define SORVEL_FORMATS_CDM_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/run_settings.h"
#include "common/tables.h"

/// The 24-character line of a GridPoint with the given (shifted) fitness,
/// without line end.
std::string CDM_results_line(const GridPoint& point, int32_t fitness);

/// Writes the results file: the GridPoints in the ranking's order, each
/// with its fitness (in grid order) less `lowest`; line by line with
/// CDM_results_line where the settings ask for the reference.
StageResult CDM_save_results(const std::string& path, const Gss& gss,
                             const std::vector<int32_t>& order, const GridValues& fitness,
                             int32_t lowest, const RunSettings& settings);

#endif  // SORVEL_FORMATS_CDM_FILE_H_
