// The stage of a command-line CDM run after its results file: the
// bootstrap over the score table, with a progress line every second when
// it lasts longer than one, then the run's report and, when asked for,
// its picture.
#ifndef SORVEL_ANALYSES_CDM_CDM_CONFIDENCE_H_
#define SORVEL_ANALYSES_CDM_CDM_CONFIDENCE_H_

#include <cstdint>
#include <string>

#include "analyses/cdm/cdm_pipeline.h"
#include "report/run_report.h"

struct ConfidenceRequest {
  int32_t resamples;  // 0: no bootstrap
  uint64_t seed;
  int threads;
  std::string data_file;
  std::string results_file;
  std::string weight_function;  // its command-line name
  bool picture;                 // draw the picture
};

struct ConfidenceOutcome {
  RunReport report;
  std::string picture;  // SVG text, empty unless asked for
};

ConfidenceOutcome CDM_confidence(const ScoredRun& scored, const ConfidenceRequest& request);

#endif  // SORVEL_ANALYSES_CDM_CDM_CONFIDENCE_H_
