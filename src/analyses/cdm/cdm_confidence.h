// The stage of a CDM run after its results file: the bootstrap over the
// score table, with a progress line every second when it lasts longer
// than one, then the run's report.
#ifndef SORVEL_ANALYSES_CDM_CDM_CONFIDENCE_H_
#define SORVEL_ANALYSES_CDM_CDM_CONFIDENCE_H_

#include <string>

#include "analyses/shared_stages.h"
#include "common/run_settings.h"
#include "report/run_report.h"

/// The report of a ranked CDM run, with the confidence of its best state
/// when the run asked for resamples (its score table then kept), as its
/// JSON file gives it back (numbers rounded as written), so that the
/// run's picture is the one sorvel-plot draws from that file.
/// `weight_function` is the command-line name of the run's weight
/// function.
RunReport CDM_confidence(const AnalysisRun& run, const RankedRun& ranked,
                                 const std::string& weight_function, const RunSettings& settings);

#endif  // SORVEL_ANALYSES_CDM_CDM_CONFIDENCE_H_
