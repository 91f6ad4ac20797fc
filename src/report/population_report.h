// The record of a MIM run's populations that scripts and pictures read:
// the run, the rule that chose the count, every population kept (most
// data first) with its stress state, its quantities, its data, its votes
// and its confidence, the data no population explains, and the
// populations the rule dropped. The JSON and CSV files
// (formats/population_report_file) and the lines of the command-line mode
// are made from it.
#ifndef SORVEL_REPORT_POPULATION_REPORT_H_
#define SORVEL_REPORT_POPULATION_REPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/run_report.h"

struct PopulationReport {
  BestStateReport state;       // its best grid state; misfits of its own data
  long votes;                  // subsets whose voted state lies nearest to its state
  int32_t data_alone;          // data it explains that no other population does
  std::vector<int32_t> data;   // ordinals, 1 = the first datum, in file order
  std::optional<Confidence> confidence;  // none without a bootstrap
  std::string no_confidence;             // why there is none
  std::optional<Confidence> refined_confidence;  // from its refined resamples
};

struct DroppedReport {
  int32_t grid_index;  // 0-based
  WholeDegreeAxis sigma1, sigma3;
  double phi;
  int32_t data;
  int32_t data_alone;
  long votes;
  std::string reason;  // "too few data alone", "beyond the count", "too few votes"
};

struct PopulationRunReport {
  Site site;
  std::string data_file;
  std::string results_file;
  int32_t data_count = 0;
  std::string weight_function;
  int32_t k = 0;
  int64_t subsets = 0;
  double separation = 0;      // degrees of stress difference
  double min_votes = 0;       // share of the most-voted population's votes
  double fit_limit = 0;       // degrees
  int32_t fixed_count = 0;    // 0: chosen by the rule
  int32_t least_alone = 0;    // data a population must explain on its own
  bool refine = false;        // the run refines its states (CSV: their columns)
  std::vector<PopulationReport> populations;
  std::vector<int32_t> unassigned;  // ordinals
  std::vector<DroppedReport> dropped;
  std::vector<DatumWarning> warnings;  // of the checks of every datum
};

#endif  // SORVEL_REPORT_POPULATION_REPORT_H_
