// The CIM results file: a header line, then one row per stress state from
// the highest fitness to the lowest, giving its fitness, its sigma1 and
// sigma3 axes in whole degrees, Phi, and the misfit angle in whole degrees
// of every datum under its stress tensor.
#ifndef SORVEL_ANALYSES_CIM_CIM_RESULTS_H_
#define SORVEL_ANALYSES_CIM_CIM_RESULTS_H_

#include <cstdint>
#include <string>

/// The header line, 123 columns, without line end.
extern const char CIM_HEADER[];

/// Appends the row of the GridPoint at position k (1-based), 26 + 4 x
/// fault count characters, without line end.
void CIM_append_row(std::string& out, int32_t k);

/// Writes the results file; a failure ends the run through ErrorReporter.
/// The rows are formed on every thread, their misfits many at once.
void CIM_save_results();

/// The same, row by row and pair by pair: the reference of the above.
void CIM_save_results_reference();

#endif  // SORVEL_ANALYSES_CIM_CIM_RESULTS_H_
