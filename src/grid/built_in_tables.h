// Tables of the grid that depend on nothing but the grid, made once when
// the programs are built, by the programs' own code (tools/
// make_grid_tables.cpp), instead of at the start of every run. A test
// makes them again and compares.
#ifndef SORVEL_GRID_BUILT_IN_TABLES_H_
#define SORVEL_GRID_BUILT_IN_TABLES_H_

#include <cstdint>
#include <span>

#include "grid/grid_labels.h"

/// The grid's stress order (stress_order.h) for the subset search's blocks
/// and groups; empty where the build could not run its own code (a cross
/// build), so that a run makes it itself.
std::span<const int32_t> built_in_stress_order();

/// A run of the grid's stress states that share one orientation: its
/// three angles, by their bits, and the axes that label_grid gives it.
struct BuiltInRun {
  uint32_t theta_bits, phi_bits, psi_bits;
  RunAxes axes;
};

/// The grid's runs in grid order; empty as above. label_grid takes a run's
/// axes from here only where the three angles are these to the bit, so
/// that any grid still gets the axes of its own angles.
std::span<const BuiltInRun> built_in_runs();

#endif  // SORVEL_GRID_BUILT_IN_TABLES_H_
