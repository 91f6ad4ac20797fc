// The stress states a MIM run found: the peaks of its votes. A voted
// state is a peak when no state ranked above it lies within the
// separation (a stress difference, degrees) of it; states are ranked by
// votes, and among equal votes the lower grid index ranks higher. Peaks
// with fewer votes than a share of the strongest one are left out.
#ifndef SORVEL_ANALYSES_POPULATIONS_VOTE_PEAKS_H_
#define SORVEL_ANALYSES_POPULATIONS_VOTE_PEAKS_H_

#include <vector>

#include "formats/mim_file.h"
#include "common/tables.h"

struct PeakOptions {
  double separation;  // degrees of stress difference, above 0
  double min_votes;   // share of the strongest peak's votes, 0 to 1
};

/// The defaults, chosen on mixed synthetic and field data sets so that
/// each population is found once.
inline constexpr PeakOptions DEFAULT_PEAK_OPTIONS = {50.0, 0.2};

/// The voted states ranked: most votes first, lower index first on a tie.
std::vector<MimVote> ranked_votes(const std::vector<MimVote>& votes);

/// The peaks, most votes first; gss must hold the stress tensors.
std::vector<MimVote> vote_peaks(const Gss& gss, const std::vector<MimVote>& votes,
                                const PeakOptions& options);

#endif  // SORVEL_ANALYSES_POPULATIONS_VOTE_PEAKS_H_
