#include "analyses/populations/vote_peaks.h"

#include <algorithm>

#include "analyses/populations/stress_difference.h"

std::vector<MimVote> ranked_votes(const std::vector<MimVote>& votes) {
  std::vector<MimVote> ranked = votes;
  std::sort(ranked.begin(), ranked.end(), [](const MimVote& a, const MimVote& b) {
    return a.votes != b.votes ? a.votes > b.votes : a.index < b.index;
  });
  return ranked;
}

// Only states at or above the threshold can be reported, and a state can
// only be outranked by one with at least its votes: the ranked list is
// cut at the threshold before the pairs are compared.
static size_t candidate_count(const std::vector<MimVote>& ranked, double share) {
  if (ranked.empty()) return 0;
  double least = share * double(ranked.front().votes);
  size_t n = 0;
  while (n < ranked.size() && double(ranked[n].votes) >= least) ++n;
  return n;
}

static bool is_outranked(const std::vector<UnitDeviator>& deviators, size_t i, double separation) {
  for (size_t j = 0; j < i; ++j)
    if (deviator_angle(deviators[j], deviators[i]) < separation) return true;
  return false;
}

std::vector<MimVote> vote_peaks(const Gss& gss, const std::vector<MimVote>& votes,
                                const PeakOptions& options) {
  std::vector<MimVote> ranked = ranked_votes(votes);
  ranked.resize(candidate_count(ranked, options.min_votes));
  std::vector<UnitDeviator> deviators;
  for (const MimVote& v : ranked)
    deviators.push_back(unit_deviator(gss.points[static_cast<std::size_t>(v.index - 1)].stress_tensor));
  std::vector<MimVote> peaks;
  for (size_t i = 0; i < ranked.size(); ++i)
    if (!is_outranked(deviators, i, options.separation)) peaks.push_back(ranked[i]);
  return peaks;
}
