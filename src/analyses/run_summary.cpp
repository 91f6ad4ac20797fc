#include "analyses/run_summary.h"

#include <cstdio>

#include "analyses/cdm/cdm_results.h"
#include "common/number_format.h"
#include "common/state.h"
#include "grid/orientation.h"

// sigma2 completes the right-handed frame of sigma1 and sigma3, the rows
// 1 and 3 of the GridPoint's Euler matrix.
static Orientation sigma2_axis(const GridPoint& point) {
  Matrix3 r = euler_rotation_matrix(point.euler_theta, point.euler_phi, point.euler_psi);
  Vec3 sigma1 = {r.m[0][0], r.m[0][1], r.m[0][2]};
  Vec3 sigma3 = {r.m[2][0], r.m[2][1], r.m[2][2]};
  return vector_to_trend_plunge(cross_product(sigma3, sigma1));
}

static std::string axis_text(const char* name, Orientation axis) {
  Orientation down = downward_axis(axis);
  char text[48];
  std::snprintf(text, sizeof text, "%s %03ld/%02ld", name, whole_degrees(down.azimuth),
                whole_degrees(down.plunge));
  return text;
}

// The axes and Phi of the GridPoint at position k (1-based) of the GSS.
static std::string state_text(int32_t k) {
  const GridPoint& point = gss[k - 1];
  GridPointAxes axes = axes_of_gridpoint(k);
  long tenths = round_half_away(10.0f * point.stress_ratio);
  char phi[48];
  std::snprintf(phi, sizeof phi, "Phi %ld.%ld", tenths / 10, tenths % 10);
  return axis_text("sigma1", axes.sigma1) + ", " + axis_text("sigma2", sigma2_axis(point)) + ", " +
         axis_text("sigma3", axes.sigma3) + ", " + phi;
}

std::string best_state_summary(const BestState& best) {
  const std::string label = "  Best stress state: ";
  if (best.data_count <= 0) return label + "none (no data)";
  char mean[48];
  std::snprintf(mean, sizeof mean, ", mean score %.1f of 100",
                static_cast<double>(best.score_sum) / best.data_count);
  return label + state_text(best.position) + mean;
}

MostVoted most_voted_state() {
  MostVoted winner = {0, 0, 0};
  for (int32_t i = 1; i <= GSS_SIZE; ++i) {
    int32_t votes = gss[i - 1].fitness;
    winner.total += votes;
    if (votes > winner.votes) winner = {i, votes, winner.total};
  }
  return winner;
}

std::string most_voted_summary(const MostVoted& winner) {
  const std::string label = "  Most voted stress state: ";
  if (winner.index == 0) return label + "none (no votes)";
  char share[80];
  std::snprintf(share, sizeof share, ", votes %d of %lld (%.1f %%)", static_cast<int>(winner.votes),
                static_cast<long long>(winner.total), 100.0 * winner.votes / winner.total);
  return label + state_text(winner.index) + share;
}
