// Ranking of the stress states by fitness.
#ifndef SORVEL_FITNESS_RANKING_H_
#define SORVEL_FITNESS_RANKING_H_

#include <cstdint>
#include <vector>

#include "common/tables.h"

/// The grid indices (0-based) in ascending fitness: position p (0-based)
/// of the ranking holds GridPoint order[p]. A Shell sort whose gap
/// sequence and strict comparison fix the order of equal fitness, which
/// the results show.
std::vector<int32_t> sort_gridpoints(const GridValues& fitness);

/// The fitness of the first GridPoint of the ranking, 0 when there is none.
int32_t lowest_fitness(const GridValues& fitness, const std::vector<int32_t>& order);

/// The fitness of every GridPoint less the lowest one, that of the first
/// GridPoint of the ranking.
GridValues shift_fitness(const GridValues& fitness, const std::vector<int32_t>& order);

#endif  // SORVEL_FITNESS_RANKING_H_
