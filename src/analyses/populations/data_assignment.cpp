#include "analyses/populations/data_assignment.h"

#include <algorithm>
#include <cstdio>

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

MimFindings findings_of_report(const Gss& gss, const FaultSet& data,
                               const PopulationRunReport& report) {
  MimFindings f;
  f.fit_limit = report.fit_limit;
  for (const PopulationReport& p : report.populations) {
    f.states.push_back({p.state.grid_index + 1, p.votes});
    f.confidence.push_back(p.confidence);
    f.refined.push_back(p.state.refined);
    f.refined_confidence.push_back(p.refined_confidence);
  }
  f.assignment = assign_data(gss, data, f.states, report.fit_limit);
  // The report's assignment, not the nearest state: they agree but for ties.
  std::fill(f.assignment.state.begin(), f.assignment.state.end(), 0);
  for (std::size_t s = 0; s < report.populations.size(); ++s) {
    f.assignment.assigned[s] = static_cast<int>(report.populations[s].data.size());
    for (int32_t ordinal : report.populations[s].data)
      f.assignment.state[static_cast<std::size_t>(ordinal - 1)] = static_cast<int>(s + 1);
  }
  char text[200];
  std::snprintf(text, sizeof text,
                "Populations: %zu, %s; misfit under %g\xc2\xb0 fits",
                report.populations.size(),
                report.fixed_count > 0
                    ? "as many as asked for"
                    : ("each explaining at least " + std::to_string(report.least_alone) +
                       " data that no other explains").c_str(),
                report.fit_limit);
  f.populations_found = text;
  return f;
}
