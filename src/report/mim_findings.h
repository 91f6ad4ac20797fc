// What a MIM run found, as its picture shows it: the stress states of its
// populations in the report's order, the data each fits and was given,
// and the confidence of each.
#ifndef SORVEL_REPORT_MIM_FINDINGS_H_
#define SORVEL_REPORT_MIM_FINDINGS_H_

#include <optional>
#include <string>
#include <vector>

#include "confidence/confidence_report.h"
#include "formats/mim_file.h"
#include "report/run_report.h"

struct DataAssignment {
  std::vector<std::vector<long>> misfit;  // [datum][state], whole degrees
  std::vector<int> state;                 // [datum]: 1-based state, 0 for none
  std::vector<int> fitting;               // [state]: data whose misfit is below the limit
  std::vector<int> assigned;              // [state]: data assigned to it
};

struct MimFindings {
  double fit_limit;               // degrees
  std::vector<MimVote> states;    // each population's state with its votes
  DataAssignment assignment;
  std::string populations_found;  // how they were found, for the caption
  std::vector<std::optional<Confidence>> confidence;  // of each, when it has one
  std::vector<std::optional<RefinedStateReport>> refined;  // of each, when the run refines
  std::vector<std::optional<Confidence>> refined_confidence;  // of its refined resamples
};

#endif  // SORVEL_REPORT_MIM_FINDINGS_H_
