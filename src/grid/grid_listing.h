// Listing of the whole grid in gridpoints.txt and stresstensors.txt.
#ifndef SORVEL_GRID_GRID_LISTING_H_
#define SORVEL_GRID_GRID_LISTING_H_

#include <string>

/// Writes both listing files in the current folder; mode "r" (first
/// character, lower case) gives fixed-point angles, anything else whole
/// numbers. Returns false (after its console message) when a file cannot
/// be written.
bool write_grid_listing(const std::string& mode);

#endif  // SORVEL_GRID_GRID_LISTING_H_
