// An order of the grid's stress states in which neighbours in the order
// are near in stress: the subset search bounds the sums of a block of
// eight and of a group of 128 states at once, and its bounds are the
// tighter, and the more blocks it passes over, the more alike the
// states of a block are. The grid's own order puts into a block eight
// stress ratios of one orientation, into a group a whole turn of sigma1.
#ifndef SORVEL_GRID_STRESS_ORDER_H_
#define SORVEL_GRID_STRESS_ORDER_H_

#include <cstdint>
#include <vector>

#include "common/tables.h"

/// The sizes of the blocks and groups that the searches bound.
inline constexpr int32_t SEARCH_BLOCK = 8;
inline constexpr int32_t SEARCH_GROUP = 128;

/// Every grid index once: the states split in two halves along the
/// deviatoric stress component in which they differ most, each half
/// again, down to runs of `block` states, the halves cut at multiples of
/// `group` states while they are larger than two groups. Only the speed
/// of the search depends on it. The two first halves are split on two
/// threads where `threads` allows.
std::vector<int32_t> stress_grouped_order(const Gss& gss, int32_t block, int32_t group,
                                          int threads);

/// The order of `gss` in blocks and groups of the searches: the one
/// made at build time where the grid has its size, else made here. Any
/// order of every state gives the searches that use it the same results.
std::vector<int32_t> search_stress_order(const Gss& gss, int threads);

#endif  // SORVEL_GRID_STRESS_ORDER_H_
