// The stages that the CDM, CIM and MIM analyses share, in their order:
// the run's choices into the program-wide state, the data, the grid and
// its tensors, the fitness table and, for CDM and CIM, the ranking. A
// run takes its answers as arguments; the dialogue asks first and then
// starts the same run.
#ifndef SORVEL_ANALYSES_SHARED_STAGES_H_
#define SORVEL_ANALYSES_SHARED_STAGES_H_

#include <cstdint>
#include <string>

/// What a run is told: its two files and its weight function.
struct AnalysisRun {
  std::string data_file;
  std::string results_file;
  int8_t weight_id;  // 1 to 4
};

/// The best stress state of a ranked run.
struct BestState {
  int32_t position;    // in the GSS as ranked: the last one
  int32_t score_sum;   // its fitness before the shift
  int16_t data_count;  // number of data scored
};

/// Sets the file names and the weight function, writes an empty line and
/// `first_progress`, and reads the data file.
void start_run(const AnalysisRun& run, const char* first_progress);

/// Fault geometry, the grid (a failure is reported under `routine` with
/// `grid_failure`), the stress tensors and an empty fitness table.
void prepare_scoring(const char* routine, const char* grid_failure);

/// Writes `progress`, then scores every stress state against every datum
/// with the run's weight function.
void score_stress_states(const char* progress);

/// Scores, fitness sums and the sort, with their progress lines; the best
/// state as it stands before the shift of the ranking.
BestState rank_stress_states();

#endif  // SORVEL_ANALYSES_SHARED_STAGES_H_
