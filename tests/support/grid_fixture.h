// The grid of stress states as the programs generate it, with its stress
// tensors, made once for all the tests of a run.
#ifndef SORVEL_TESTS_SUPPORT_GRID_FIXTURE_H_
#define SORVEL_TESTS_SUPPORT_GRID_FIXTURE_H_

#include "common/tables.h"

const Gss& generated_grid();

/// GridPoint k, 1-based, of the generated grid.
const GridPoint& grid_point(int32_t k);

#endif  // SORVEL_TESTS_SUPPORT_GRID_FIXTURE_H_
