// The grid of stress states: 300 sigma3 directions on a spiral over the
// lower hemisphere, 18 turns of sigma1 about each, 11 stress ratios.
#ifndef SORVEL_GRID_GSS_H_
#define SORVEL_GRID_GSS_H_

#include <cstdint>

#include "common/types.h"

/// Fills the angles and stress ratio of every GridPoint of gss; false when
/// the sigma3 direction set cannot be allocated.
bool is_GSS_generation_successful();

bool generate_sigma3_directions(int16_t n);
void recentre_first_direction();
/// Direction k (1-based) of the set; in_range is false outside 1 to N.
SphericalPoint sigma3_direction(int16_t k, bool& in_range);
void release_sigma3_directions();

#endif  // SORVEL_GRID_GSS_H_
