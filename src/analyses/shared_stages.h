// The stages that the CDM, CIM and MIM analyses share, in their order:
// the data, the grid and its tensors, the fitness table and, for CDM and
// CIM, the ranking. Each stage takes the run's tables and settings as
// arguments and hands back a failure as a value; the shell prints it.
#ifndef SORVEL_ANALYSES_SHARED_STAGES_H_
#define SORVEL_ANALYSES_SHARED_STAGES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analyses/populations/population_search.h"
#include "common/error_report.h"
#include "common/site.h"
#include "common/run_settings.h"
#include "common/tables.h"
#include "data/data_checks.h"

/// What the command-line mode of sorvel asks of a CDM run beyond its
/// results file: the bootstrap confidence, a report and a picture.
struct ConfidenceOptions {
  int32_t resamples = 0;     // resamples of the bootstrap, 0: none
  uint64_t seed = 0;         // of the resamples
  std::string report_file;   // FILE.json or FILE.csv, empty: none
  std::string picture_file;  // FILE.svg, empty: none
  bool overwrite = false;    // an existing report or picture may be replaced
  Site site;                 // written into the report
  bool refine = false;       // the best state and the resamples' refined beyond the grid
};

/// What a run is told: its two files, its weight function and, for the
/// MIM analysis, the subset size.
struct AnalysisRun {
  std::string data_file;
  std::string results_file;
  int8_t weight_id = 0;    // 1 to 4
  int8_t subset_size = 0;  // k of the MIM analysis, 0 for the others
  ConfidenceOptions confidence;  // the command-line mode of a CDM or MIM run only
  // The populations of a MIM run of the command-line mode.
  SeparationOptions separation = DEFAULT_SEPARATION_OPTIONS;
  std::string split_prefix;      // PREFIX1.fdt ... for each population, empty: none
  bool find_populations = false;
  // What the checks of the command-line mode found in the data, for the
  // report; none in the dialogue.
  std::vector<DatumWarning> data_warnings = {};
};

/// What a program's run gives back besides a failure: the summary line
/// of the command-line mode, and the problem with an output after the
/// results file (the run then ends with status 1, its results file as
/// written), or an empty text.
struct RunOutcome {
  std::string summary;
  std::string output_problem;
};

/// The tables one run works on.
struct RunTables {
  FaultSet faults;
  Gss gss;
  FitnessTable table;
};

/// The ranked stress states of a CDM or CIM run.
struct Ranking {
  GridValues fitness;          // the sum of every GridPoint's scores, in grid order
  std::vector<int32_t> order;  // grid indices in ascending fitness: the best last
};

/// The best stress state of a ranked run.
struct BestState {
  int32_t index;       // 0-based grid index: the last of the ranking
  int32_t score_sum;   // its fitness before the shift
  int16_t data_count;  // number of data scored
};

/// What a CDM or CIM run gives back: its tables, its ranking and its best
/// state.
struct RankedRun {
  RunTables tables;
  Ranking ranking;
  BestState best;
  // Each bootstrap resample's best grid index where helper workers of the
  // page searched them with the fill; empty where the run searches itself.
  std::vector<int32_t> resample_best;
};

/// Writes an empty line and `first_progress`, then reads the data file.
StageResult start_run(const AnalysisRun& run, const RunSettings& settings,
                      const char* first_progress, FaultSet& faults);

/// Whether a run keeps every score in a table for a later stage, or only
/// their sums. A table for the bootstrap alone has its rows in the
/// search's stress order, which its bounds need, instead of being
/// reordered there and back; with too few data to resample, only the
/// sums are kept.
enum class ScoreKeeping { table, table_in_search_order, sums_only };

/// Fault geometry, the grid (a failure is reported under `routine` with
/// `grid_failure`), the stress tensors and, where the scores are kept, an
/// empty fitness table.
StageResult prepare_scoring(const char* routine, const char* grid_failure, ScoreKeeping keeping,
                            RunTables& tables);

/// Writes `progress`, then scores every stress state against every datum
/// with the run's weight function.
void score_stress_states(const char* progress, const AnalysisRun& run,
                         const RunSettings& settings, RunTables& tables);

/// Scores, fitness sums and the sort, with their progress lines; the
/// scores fill the table where it was made, else only their sums are kept.
StageResult rank_stress_states(const AnalysisRun& run, const RunSettings& settings,
                               RunTables& tables, Ranking& ranking);

/// Every stage of a CDM or CIM run up to the ranking, failures reported
/// under `routine`.
StageResult score_and_rank(const AnalysisRun& run, const RunSettings& settings,
                           const char* routine, ScoreKeeping keeping, RankedRun& result);

/// Frees the fault-data array and the fitness table of a run.
void release_tables(RunTables& tables);

#endif  // SORVEL_ANALYSES_SHARED_STAGES_H_
