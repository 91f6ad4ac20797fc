// Tables of the grid that depend on nothing but the grid, made once when
// the programs are built, by the programs' own code (tools/
// make_grid_tables.cpp), instead of at the start of every run. A test
// makes them again and compares.
#ifndef SORVEL_GRID_BUILT_IN_TABLES_H_
#define SORVEL_GRID_BUILT_IN_TABLES_H_

#include <cstdint>
#include <span>

/// The grid's stress order (stress_order.h) for the subset search's blocks
/// and groups; empty where the build could not run its own code (a cross
/// build), so that a run makes it itself.
std::span<const int32_t> built_in_stress_order();

#endif  // SORVEL_GRID_BUILT_IN_TABLES_H_
