#include "plot/mim_report.h"

#include "plot/stereonet.h"

MimFindings find_mim_states(const Gss& gss, const FaultSet& data, const PlotResults& results,
                            const PeakOptions& peak_options, double fit_limit) {
  MimFindings f;
  f.peak_options = peak_options;
  f.fit_limit = fit_limit;
  f.states = vote_peaks(gss, results.votes, peak_options);
  f.assignment = assign_data(gss, data, f.states, fit_limit);
  return f;
}

std::string state_line(const Gss& gss, const MimFindings& findings, size_t s) {
  PlotState state = state_of_gridpoint(gss, findings.states[s].index);
  return "  State " + std::to_string(s + 1) + ": sigma1 " + axis_text(state.sigma1) +
         ", sigma2 " + axis_text(state.sigma2) + ", sigma3 " + axis_text(state.sigma3) +
         ", Phi " + phi_text(state.phi_tenths) + ", votes " +
         std::to_string(findings.states[s].votes) + ", data fitting " +
         std::to_string(findings.assignment.fitting[s]);
}

std::string datum_line(const MimFindings& findings, size_t i) {
  const DataAssignment& a = findings.assignment;
  std::string line = "  Datum " + std::to_string(i + 1) + ": ";
  if (findings.states.empty()) return line + "none";
  line += a.state[i] > 0 ? "State " + std::to_string(a.state[i]) : std::string("none");
  return line + ", misfit " + std::to_string(shown_misfit(a, i));
}

std::string MIM_report(const Gss& gss, const MimFindings& findings) {
  std::string text;
  for (size_t s = 0; s < findings.states.size(); ++s) text += state_line(gss, findings, s) + "\n";
  for (size_t i = 0; i < findings.assignment.state.size(); ++i)
    text += datum_line(findings, i) + "\n";
  return text;
}
