// Listing of the whole grid in gridpoints.txt and stresstensors.txt.
#ifndef SORVEL_GRID_GRID_LISTING_H_
#define SORVEL_GRID_GRID_LISTING_H_

/// Writes both listing files in the current folder, the angles and Phi in
/// fixed-point form or in whole numbers. Returns false (after its console
/// message) when a file cannot be written.
bool write_grid_listing(bool fixed_point);

#endif  // SORVEL_GRID_GRID_LISTING_H_
