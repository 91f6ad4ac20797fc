// Which data fit each stress state found: the misfit angle of every datum
// under every state (the angle between the predicted shear direction and
// the observed slip, as the analyses compute it). A datum fits a state
// when its misfit is below the limit, and it is assigned to the state it
// fits best; the first state found wins a tie.
#ifndef SORVEL_ANALYSES_POPULATIONS_DATA_ASSIGNMENT_H_
#define SORVEL_ANALYSES_POPULATIONS_DATA_ASSIGNMENT_H_

#include <cstddef>
#include <vector>

#include "common/tables.h"
#include "formats/mim_file.h"
#include "report/mim_findings.h"
#include "report/population_report.h"
#include "stress/data_fit.h"


/// The misfits and the assignment of `data` (vectors need not be set) to
/// the `states` found; gss must hold the stress tensors.
DataAssignment assign_data(const Gss& gss, const FaultSet& data,
                           const std::vector<MimVote>& states, double fit_limit);

/// The misfit shown for datum i: under its state, or, when it has none,
/// the least under any state; -1 when no state was found.
long shown_misfit(const DataAssignment& a, size_t i);

/// What the picture shows of a population report: its populations as the
/// states found (in the report's order), each datum given to its
/// population; gss must hold the stress tensors.
MimFindings findings_of_report(const Gss& gss, const FaultSet& data,
                               const PopulationRunReport& report);

#endif  // SORVEL_ANALYSES_POPULATIONS_DATA_ASSIGNMENT_H_
