#include "plot/population_picture.h"

#include <cstdio>

#include "common/constants.h"
#include "plot/mim_picture.h"

MimFindings findings_of_report(const Gss& gss, const FaultSet& data,
                               const PopulationRunReport& report) {
  MimFindings f;
  f.peak_options = {report.separation, report.min_votes};
  f.fit_limit = report.fit_limit;
  for (const PopulationReport& p : report.populations) {
    f.states.push_back({p.state.grid_index + 1, p.votes});
    f.confidence.push_back(p.confidence);
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

std::string report_mismatch(const FaultSet& data, const PlotResults& results,
                            const PopulationRunReport& report) {
  int64_t subsets = 0;
  for (const MimVote& v : results.votes) subsets += v.votes;
  if (report.data_count != data.count || report.subsets != subsets)
    return "not the report of the run that wrote these results and data";
  std::vector<bool> seen(static_cast<std::size_t>(data.count), false);
  auto take = [&](int32_t ordinal) {
    if (ordinal < 1 || ordinal > data.count || seen[static_cast<std::size_t>(ordinal - 1)])
      return false;
    seen[static_cast<std::size_t>(ordinal - 1)] = true;
    return true;
  };
  for (const PopulationReport& p : report.populations) {
    if (p.state.grid_index < 0 || p.state.grid_index >= GSS_SIZE ||
        p.state.misfits.size() != p.data.size())
      return "a population of the report is not one of this grid";
    for (int32_t ordinal : p.data)
      if (!take(ordinal)) return "the report gives a datum twice or one that is not there";
  }
  for (int32_t ordinal : report.unassigned)
    if (!take(ordinal)) return "the report gives a datum twice or one that is not there";
  return "";
}

std::string population_picture(const Gss& gss, const FaultSet& data, const std::string& data_name,
                               const std::string& results_name, const PlotResults& results,
                               const PopulationRunReport& report) {
  return MIM_picture(gss, data, data_name, results_name, results,
                     findings_of_report(gss, data, report));
}
