// What a MIM result found, in words: the stress states found (the peaks
// of the votes) and the data that fit each, for sorvel-plot's standard
// output, one line a state and one line a datum.
#ifndef SORVEL_PLOT_MIM_REPORT_H_
#define SORVEL_PLOT_MIM_REPORT_H_

#include <optional>
#include <string>
#include <vector>

#include "confidence/confidence_report.h"

#include "analyses/populations/data_assignment.h"
#include "formats/results_reader.h"
#include "analyses/populations/vote_peaks.h"

struct MimFindings {
  PeakOptions peak_options;
  double fit_limit;               // degrees
  std::vector<MimVote> states;    // the stress states found, most votes first
  DataAssignment assignment;
  // Populations of a run's report in place of the vote peaks: how they
  // were found, for the caption, and each one's confidence, when it has one.
  std::string populations_found;
  std::vector<std::optional<Confidence>> confidence;
};

/// The peaks of the votes of `results` and the data of `data` assigned
/// to them; gss must hold the stress tensors.
MimFindings find_mim_states(const Gss& gss, const FaultSet& data, const PlotResults& results,
                            const PeakOptions& peak_options, double fit_limit);

/// "  State 1: sigma1 204/06, sigma2 114/02, sigma3 004/83, Phi 0.6,
/// votes 6100, data fitting 27" (one line).
std::string state_line(const Gss& gss, const MimFindings& findings, size_t s);

/// "  Datum 3: State 1, misfit 12", or "  Datum 3: none, misfit 47" (the
/// least misfit under any state), or "  Datum 3: none" when no state was
/// found.
std::string datum_line(const MimFindings& findings, size_t i);

/// Every state line, then every datum line, each ended by a line feed.
std::string MIM_report(const Gss& gss, const MimFindings& findings);

#endif  // SORVEL_PLOT_MIM_REPORT_H_
