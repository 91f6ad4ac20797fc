// Listing of the whole grid in gridpoints.txt and stresstensors.txt.
#ifndef SORVEL_FORMATS_GRID_LISTING_H_
#define SORVEL_FORMATS_GRID_LISTING_H_

#include "common/run_settings.h"
#include "common/tables.h"

/// Writes both listing files of `gss` (its tensors computed) in the
/// current folder, the angles and Phi in fixed-point form or in whole
/// numbers, with a progress line every 10000 GridPoints. False, and
/// neither file written, when a file cannot be written.
bool write_grid_listing(const Gss& gss, bool fixed_point, const RunSettings& settings);

#endif  // SORVEL_FORMATS_GRID_LISTING_H_
