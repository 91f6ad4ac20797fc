// A stress state and the votes the subsets of a MIM run gave it.
#ifndef SORVEL_ANALYSES_POPULATIONS_MIM_VOTE_H_
#define SORVEL_ANALYSES_POPULATIONS_MIM_VOTE_H_

#include <cstdint>

struct MimVote {
  int32_t index;  // 1-based position of the GridPoint in the grid as generated
  long votes;
};

#endif  // SORVEL_ANALYSES_POPULATIONS_MIM_VOTE_H_
