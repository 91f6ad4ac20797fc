// The CIM results file: a header line, then one row per stress state from
// the highest fitness to the lowest, giving its fitness, its sigma1 and
// sigma3 axes in whole degrees, Phi, and the misfit angle in whole degrees
// of every datum under its stress tensor.
#ifndef SORVEL_FORMATS_CIM_FILE_H_
#define SORVEL_FORMATS_CIM_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analyses/shared_stages.h"

/// The header line, 123 columns, without line end.
extern const char CIM_HEADER[];

/// What a row is made of: the run's tables, the ranking's order and the
/// shifted fitness of every GridPoint (grid order).
struct CimRows {
  const RunTables& tables;
  const std::vector<int32_t>& order;
  const GridValues& fitness;
};

/// Appends the row of the GridPoint of grid index k, 26 + 4 x fault count
/// characters, without line end.
void CIM_append_row(std::string& out, const CimRows& rows, int32_t k);

/// Writes the results file, from the best stress state down. The rows are
/// formed on every thread, their misfits many at once; the reference path
/// when the settings ask for it.
StageResult CIM_save_results(const std::string& path, const RunTables& tables,
                             const std::vector<int32_t>& order, const GridValues& fitness,
                             const RunSettings& settings);

/// The same, row by row and pair by pair: the reference of the above.
StageResult CIM_save_results_reference(const std::string& path, const RunTables& tables,
                                       const std::vector<int32_t>& order,
                                       const GridValues& fitness);

#endif  // SORVEL_FORMATS_CIM_FILE_H_
