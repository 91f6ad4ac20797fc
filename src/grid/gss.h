// The grid of stress states: 300 sigma3 directions on a spiral over the
// lower hemisphere, 18 turns of sigma1 about each, 11 stress ratios.
#ifndef SORVEL_GRID_GSS_H_
#define SORVEL_GRID_GSS_H_

#include <cstdint>
#include <vector>

#include "common/tables.h"
#include "common/types.h"

/// Fills `gss` with the angles and stress ratio of every GridPoint, in
/// grid order; false when the memory cannot be had.
bool is_GSS_generation_successful(Gss& gss);

/// The message lines a failed generation shows before its error block.
inline constexpr const char GSS_FAILURE_NOTES[] =
    "   Memory allocation error in is_GSS_generation_successful\n   GSS generation error.\n";

/// The sigma3 direction set: directions 1 to n at positions 0 to n - 1,
/// the first one recentred.
std::vector<SphericalPoint> generate_sigma3_directions(int16_t n);

/// Moves direction 1 to the mean of directions 1, 2, 4, 5 and 6 (those
/// that exist).
void recentre_first_direction(std::vector<SphericalPoint>& directions);

#endif  // SORVEL_GRID_GSS_H_
