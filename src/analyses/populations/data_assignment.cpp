#include "analyses/populations/data_assignment.h"

#include <algorithm>

#include "data/fault_geometry.h"
#include "fitness/fill_reference.h"

static std::vector<long> misfits_of(const Gss& gss, FaultDatum datum,
                                    const std::vector<MimVote>& states) {
  prepare_datum_geometry(datum);
  std::vector<long> misfits;
  for (const MimVote& s : states)
    misfits.push_back(
        misfit_degrees(gss.points[static_cast<std::size_t>(s.index - 1)].stress_tensor, datum));
  return misfits;
}

// The 1-based state of least misfit below the limit, 0 when none.
static int best_fit(const std::vector<long>& misfits, double fit_limit) {
  int best = 0;
  for (size_t s = 0; s < misfits.size(); ++s)
    if (double(misfits[s]) < fit_limit && (best == 0 || misfits[s] < misfits[size_t(best - 1)]))
      best = int(s + 1);
  return best;
}

DataAssignment assign_data(const Gss& gss, const FaultSet& data,
                           const std::vector<MimVote>& states, double fit_limit) {
  DataAssignment a;
  a.fitting.assign(states.size(), 0);
  a.assigned.assign(states.size(), 0);
  for (int i = 0; i < data.count; ++i) {
    a.misfit.push_back(misfits_of(gss, data.data[i], states));
    a.state.push_back(best_fit(a.misfit.back(), fit_limit));
    for (size_t s = 0; s < states.size(); ++s)
      if (double(a.misfit.back()[s]) < fit_limit) ++a.fitting[s];
    if (a.state.back() > 0) ++a.assigned[size_t(a.state.back() - 1)];
  }
  return a;
}

long shown_misfit(const DataAssignment& a, size_t i) {
  const std::vector<long>& m = a.misfit[i];
  if (m.empty()) return -1;
  if (a.state[i] > 0) return m[size_t(a.state[i] - 1)];
  return *std::min_element(m.begin(), m.end());
}
