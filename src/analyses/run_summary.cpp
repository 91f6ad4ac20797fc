#include "analyses/run_summary.h"

#include <cstdio>

#include "common/number_format.h"
#include "formats/state_text.h"
#include "grid/state_axes.h"

// "sigma1 349/80, sigma2 186/10, sigma3 095/03, Phi 0.5".
static std::string state_text(const GridPoint& point) {
  StateAxes axes = state_axes(point);
  return "sigma1 " + axis_text(axes.sigma1) + ", sigma2 " + axis_text(axes.sigma2) + ", sigma3 " +
         axis_text(axes.sigma3) + ", Phi " + phi_text(phi_tenths(point.stress_ratio));
}

std::string best_state_summary(const Gss& gss, const BestState& best) {
  const std::string label = "  Best stress state: ";
  if (best.data_count <= 0) return label + "none (no data)";
  char mean[48];
  std::snprintf(mean, sizeof mean, ", mean score %.1f of 100",
                static_cast<double>(best.score_sum) / best.data_count);
  return label + state_text(gss.points[static_cast<std::size_t>(best.index)]) + mean;
}

MostVoted most_voted_state(const GridValues& votes) {
  MostVoted winner = {0, 0, 0};
  for (int32_t i = 1; i <= static_cast<int32_t>(votes.size()); ++i) {
    int32_t count = votes[static_cast<std::size_t>(i - 1)];
    winner.total += count;
    if (count > winner.votes) winner = {i, count, winner.total};
  }
  return winner;
}

std::string most_voted_summary(const Gss& gss, const MostVoted& winner) {
  const std::string label = "  Most voted stress state: ";
  if (winner.index == 0) return label + "none (no votes)";
  char share[80];
  std::snprintf(share, sizeof share, ", votes %d of %lld (%.1f %%)", static_cast<int>(winner.votes),
                static_cast<long long>(winner.total), 100.0 * winner.votes / winner.total);
  return label + state_text(gss.points[static_cast<std::size_t>(winner.index - 1)]) + share;
}
