#include "analyses/mim/mim_populations.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/constants.h"
#include "confidence/bootstrap.h"
#include "fitness/weight_functions.h"
#include "formats/state_text.h"
#include "grid/state_axes.h"
#include "grid/stress_order.h"
#include "refine/resample_refinement.h"

namespace {

const char* reason_text(DropReason reason) {
  switch (reason) {
    case DropReason::alone: return "too few data alone";
    case DropReason::count: return "beyond the count";
    case DropReason::votes: return "too few votes";
  }
  return "";
}

// The population's score columns side by side at the front of the table,
// in the order of its data, as a CDM run on its data alone would hold
// them, so that its bootstrap draws the same resamples; moved there by
// swapping columns, so that no copy of them is needed, and swapped back
// in the reverse order when this goes.
class ColumnsInFront {
 public:
  ColumnsInFront(const FitnessTable& table, const std::vector<int32_t>& data)
      : scores_(table.scores.get()) {
    std::vector<int32_t> where(static_cast<std::size_t>(table.columns)), which(where.size());
    for (std::size_t c = 0; c < where.size(); ++c) where[c] = which[c] = static_cast<int32_t>(c);
    for (std::size_t c = 0; c < data.size(); ++c) {
      const int32_t from = where[static_cast<std::size_t>(data[c])], to = static_cast<int32_t>(c);
      if (from == to) continue;
      swap_columns(from, to);
      swaps_.push_back({from, to});
      const int32_t moved = which[static_cast<std::size_t>(to)];
      which[static_cast<std::size_t>(to)] = data[c];
      which[static_cast<std::size_t>(from)] = moved;
      where[static_cast<std::size_t>(data[c])] = to;
      where[static_cast<std::size_t>(moved)] = from;
    }
  }
  ~ColumnsInFront() {
    for (std::size_t i = swaps_.size(); i > 0; --i) swap_columns(swaps_[i - 1].first, swaps_[i - 1].second);
  }
  ColumnsInFront(const ColumnsInFront&) = delete;
  ColumnsInFront& operator=(const ColumnsInFront&) = delete;
  int8_t* scores() const { return scores_; }

 private:
  void swap_columns(int32_t a, int32_t b) {
    int8_t* x = scores_ + static_cast<std::size_t>(a) * GSS_SIZE;
    std::swap_ranges(x, x + GSS_SIZE, scores_ + static_cast<std::size_t>(b) * GSS_SIZE);
  }
  int8_t* scores_;
  std::vector<std::pair<int32_t, int32_t>> swaps_;
};

void add_confidence(const MimRun& mim, const Population& found, const AnalysisRun& run,
                    const RunSettings& settings, const SlipData& slips,
                    const std::optional<ContinuousState>& refined, PopulationReport& p) {
  const ConfidenceOptions& asked = run.confidence;
  const int32_t n = static_cast<int32_t>(found.data.size());
  if (asked.resamples <= 0) return;
  if (n < MIN_BOOTSTRAP_DATA) {
    p.no_confidence = "fewer than " + std::to_string(MIN_BOOTSTRAP_DATA) + " data";
    return;
  }
  const ColumnsInFront columns(mim.tables.table, found.data);
  BootstrapResult result =
      bootstrap_best_states(ScoreTable{columns.scores(), GSS_SIZE, n},
                            BootstrapSettings{asked.resamples, asked.seed, settings.threads,
                                              settings.reference},
                            [](int32_t, int32_t) {}, search_stress_order(mim.tables.gss, settings.threads));
  if (!result.error.empty()) {
    p.no_confidence = result.error;
    return;
  }
  std::vector<int32_t> best;
  for (const ResampleBest& b : result.best) best.push_back(b.index);
  p.confidence =
      confidence_of_resamples(mim.tables.gss.points.data(), found.index, best, asked.seed);
  if (!refined) return;
  const WeightFunction& weight = weight_function_of(run.weight_id);
  ResampleRefinementRun refining{&slips, &weight, mim.tables.gss.points.data(), asked.seed,
                                 settings.threads};
  p.refined_confidence =
      confidence_of_states(*refined, refine_resamples(refining, *refined, best), asked.seed);
}

PopulationReport describe_population(const MimRun& mim, const Population& found,
                                     const AnalysisRun& run, const RunSettings& settings) {
  const FaultSet& faults = mim.tables.faults;
  std::vector<FaultDatum> own;
  for (int32_t i : found.data) own.push_back(faults.data[static_cast<std::size_t>(i)]);
  PopulationReport p{};
  p.state = describe_best_state(mim.tables.gss.points.data(), found.index, found.score_sum,
                                own.data(), static_cast<int32_t>(own.size()));
  p.votes = found.votes;
  p.data_alone = found.alone;
  for (int32_t i : found.data) p.data.push_back(i + 1);
  const int32_t n = static_cast<int32_t>(own.size());
  const SlipData slips = slip_data(own.data(), n);
  std::optional<ContinuousState> refined;
  if (run.confidence.refine && n > 0) {
    // The separation gave the population its data by states refined on
    // the fit as given; its refined state is the one sorvel finds on
    // those data, the fit read at their scatter.
    refined = refine_from_starts(
                  {continuous_state(mim.tables.gss.points[static_cast<std::size_t>(found.index)])},
                  slips, weight_function_of(run.weight_id))
                  .state;
    p.state.refined = describe_refined_state(*refined, own.data(), n);
  }
  add_confidence(mim, found, run, settings, slips, refined, p);
  return p;
}

DroppedReport describe_dropped(const Gss& gss, const DroppedPopulation& d) {
  StateAxes axes = state_axes(gss.points[static_cast<std::size_t>(d.index)]);
  return {d.index, axes.sigma1, axes.sigma3,
          grid_phi(gss.points[static_cast<std::size_t>(d.index)]),
          d.data, d.alone, d.votes, reason_text(d.reason)};
}

std::string count_line(const PopulationRunReport& r) {
  std::string line = "  Populations: " + std::to_string(r.populations.size());
  if (r.fixed_count > 0)
    line += " (" + std::to_string(r.fixed_count) + " asked for" +
            (static_cast<int32_t>(r.populations.size()) < r.fixed_count
                 ? "; no more states fit at least " + std::to_string(LEAST_STATE_DATA) + " data)"
                 : ")");
  else if (r.populations.empty())
    line += " (no state fits at least " + std::to_string(r.least_alone) + " data)";
  else
    line += " (each explains at least " + std::to_string(r.least_alone) +
            " data that no other explains)";
  for (const DroppedReport& d : r.dropped)
    line += "; dropped sigma1 " + axis_text(d.sigma1) + ", sigma3 " + axis_text(d.sigma3) +
            " with " + std::to_string(d.data) + " data, " + std::to_string(d.data_alone) +
            " alone, " + std::to_string(d.votes) + " votes: " + d.reason;
  return line;
}

std::string population_line(const PopulationReport& p, std::size_t number) {
  const BestStateReport& s = p.state;
  std::string line = "  Population " + std::to_string(number) + ": sigma1 " +
                     axis_text(s.sigma1) + ", sigma2 " + axis_text(s.sigma2) + ", sigma3 " +
                     axis_text(s.sigma3) + ", Phi " + one_decimal(s.phi) + ", regime " +
                     regime_code(s.regime) + ", SHmax " + shmax_text(s.shmax) + ", R' " +
                     one_decimal(s.r_prime) + ", data " + std::to_string(p.data.size()) +
                     " (alone " + std::to_string(p.data_alone) + "), mean misfit " +
                     one_decimal(s.mean_misfit) + ", votes " + std::to_string(p.votes);
  if (p.confidence)
    line += ", sigma1 cone " + cone_text(p.confidence->sigma1_cone) + ", sigma3 cone " +
            cone_text(p.confidence->sigma3_cone) + ", Phi " + one_decimal(p.confidence->phi.low) +
            " to " + one_decimal(p.confidence->phi.high);
  else if (!p.no_confidence.empty())
    line += ", no bootstrap (" + p.no_confidence + ")";
  if (s.refined) line += refined_words(*s.refined);
  return line;
}

// The population of each datum (1-based, 0: none) and its misfit there.
struct DatumPlace {
  std::size_t population = 0;
  long misfit = 0;
};

std::vector<DatumPlace> datum_places(const PopulationRunReport& r) {
  std::vector<DatumPlace> places(static_cast<std::size_t>(r.data_count));
  for (std::size_t p = 0; p < r.populations.size(); ++p) {
    const PopulationReport& pop = r.populations[p];
    for (std::size_t m = 0; m < pop.data.size(); ++m)
      places[static_cast<std::size_t>(pop.data[m] - 1)] = {p + 1, pop.state.misfits[m]};
  }
  return places;
}

}  // namespace

PopulationRunReport MIM_populations(const AnalysisRun& run, const MimRun& mim,
                                    const std::string& weight_function,
                                    const RunSettings& settings) {
  report_progress_message(settings, "  * Separating populations *");
  const RunTables& tables = mim.tables;
  SeparationOptions separation = run.separation;
  separation.refine = run.confidence.refine;
  PopulationSearch search =
      separate_populations(tables.gss, tables.faults, tables.table, mim.votes, separation,
                           weight_function_of(run.weight_id));
  PopulationRunReport r;
  r.site = run.confidence.site;
  r.data_file = run.data_file;
  r.results_file = run.results_file;
  r.data_count = tables.faults.count;
  r.warnings = run.data_warnings;
  r.weight_function = weight_function;
  r.k = run.subset_size;
  for (int32_t v : mim.votes) r.subsets += v;
  r.separation = run.separation.separation;
  r.min_votes = run.separation.min_votes;
  r.fit_limit = run.separation.fit_limit;
  r.fixed_count = run.separation.count;
  r.least_alone = search.least_alone;
  r.refine = run.confidence.refine;
  for (const Population& found : search.populations)
    r.populations.push_back(describe_population(mim, found, run, settings));
  for (int32_t i : search.unassigned) r.unassigned.push_back(i + 1);
  for (const DroppedPopulation& d : search.dropped)
    r.dropped.push_back(describe_dropped(tables.gss, d));
  return r;
}

std::string population_lines(const PopulationRunReport& r) {
  std::string text = count_line(r) + "\n";
  for (std::size_t p = 0; p < r.populations.size(); ++p)
    text += population_line(r.populations[p], p + 1) + "\n";
  std::vector<DatumPlace> places = datum_places(r);
  for (std::size_t i = 0; i < places.size(); ++i) {
    text += "  Datum " + std::to_string(i + 1) + ": ";
    if (places[i].population == 0)
      text += "none\n";
    else
      text += "Population " + std::to_string(places[i].population) + ", misfit " +
              std::to_string(places[i].misfit) + "\n";
  }
  return text;
}
