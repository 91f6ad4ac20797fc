// The program-wide tables that one stage fills and later stages read.
#ifndef SORVEL_COMMON_STATE_H_
#define SORVEL_COMMON_STATE_H_

#include <cstdint>
#include <string>

#include "common/constants.h"
#include "common/types.h"

/// The two file names of a run, kept whole and without trailing blanks.
struct FileNames {
  std::string data_file;     // the fault-slip data file
  std::string results_file;  // the results file to write
};
extern FileNames file_names;

/// The chosen weight function: 1 cosine, 2 linear, 3 tangent,
/// 4 hyperbolic tangent; 0 until chosen.
extern int8_t weightfunc_id;
/// Its name, blank-padded to 40 characters.
extern std::string weightfunc_name;

/// The fault-data array: data[0 .. count-1] hold data 1 to count.
struct FaultSet {
  int16_t count;      // fault count, 0 to 32767
  FaultDatum* data;   // allocated by the reader, null when not allocated
};
extern FaultSet faults;

/// The grid of stress states, static for the whole run.
extern GridPoint gss[GSS_SIZE];

/// Signed 8-bit scores, GSS_SIZE rows by `columns` columns, row index
/// fastest: entry (k, j) for GridPoint k and datum j (both 1-based) is
/// scores[(j - 1) * GSS_SIZE + (k - 1)].
struct FitnessTable {
  int8_t* scores;  // null when not allocated
  int32_t columns; // number of data the table was made for
};
extern FitnessTable fitness_table;

#endif  // SORVEL_COMMON_STATE_H_
