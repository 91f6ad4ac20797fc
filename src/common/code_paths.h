// Which code computes the results. The analyses take fast paths (many
// pairs at once, bounds that skip most of the grid, every thread); the
// straightforward paths that follow the formulas pair by pair stay in the
// program as the reference that the fast ones must agree with to the
// byte. SORVEL_REFERENCE=1 in the environment selects them, to check a
// result or to measure what the fast paths gain.
#ifndef SORVEL_COMMON_CODE_PATHS_H_
#define SORVEL_COMMON_CODE_PATHS_H_

/// True when SORVEL_REFERENCE is "1".
bool reference_paths();

#endif  // SORVEL_COMMON_CODE_PATHS_H_
