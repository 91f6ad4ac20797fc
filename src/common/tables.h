// The tables a run works on, as plain records that the stages take and
// return: the data set, the grid of stress states and the score table.
// Each run owns its own, so that one process can run the analyses many
// times, on different data, and get the same results every time.
#ifndef SORVEL_COMMON_TABLES_H_
#define SORVEL_COMMON_TABLES_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/constants.h"
#include "common/types.h"
#include "platform/large_blocks.h"

/// The fault-data array: data[0 .. count-1] hold data 1 to count.
struct FaultSet {
  int16_t count = 0;             // fault count, 0 to 32767
  std::vector<FaultDatum> data;  // in file order
};

/// GridPoints in the memory of a large block (platform/large_blocks.h).
using GridPoints = std::vector<GridPoint, LargeBlockAllocator<GridPoint>>;

/// The grid of stress states: GSS_SIZE GridPoints in grid order. It is
/// never reordered once generated; results are arrays in the same order.
struct Gss {
  GridPoints points;
};

/// Signed 8-bit scores, GSS_SIZE rows by `columns` columns, row index
/// fastest: entry (k, j) for GridPoint k and datum j (both 1-based) is
/// scores[(j - 1) * GSS_SIZE + (k - 1)]. The storage is left unset until
/// filled, since a table for many data is large. allocate_fitness_table
/// gives the storage TABLE_COLUMN_SPARE bytes more per column after the
/// last one, so that a search can lay every column out padded to whole
/// groups of states in the table's own storage rather than in a copy.
inline constexpr std::size_t TABLE_COLUMN_SPARE = 128;
struct FitnessTable {
  std::unique_ptr<int8_t[]> scores;  // null when not allocated
  int32_t columns = 0;               // number of data the table was made for
  std::size_t storage = 0;           // bytes at `scores` that may be written, spare included
  // The GridPoint of each row where the rows are in another order than
  // the grid's (the bootstrap's search order); empty: row k is GridPoint k.
  std::vector<int32_t> rows;
};

/// One whole number per GridPoint, in grid order: a fitness sum, a
/// shifted fitness or a vote count.
using GridValues = std::vector<int32_t>;

#endif  // SORVEL_COMMON_TABLES_H_
