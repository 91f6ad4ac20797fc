// Ranking of the stress states by fitness.
#ifndef SORVEL_FITNESS_RANKING_H_
#define SORVEL_FITNESS_RANKING_H_

/// Shell sort of the GSS in ascending fitness. Its gap sequence and strict
/// comparison fix the order of equal fitness, which the results show.
void sort_gridpoints();

/// Subtracts the lowest fitness (position 1) from every fitness.
void shift_fitness();

#endif  // SORVEL_FITNESS_RANKING_H_
