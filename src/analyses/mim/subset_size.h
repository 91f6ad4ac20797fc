// The console question for the subset size of a MIM run.
#ifndef SORVEL_ANALYSES_MIM_SUBSET_SIZE_H_
#define SORVEL_ANALYSES_MIM_SUBSET_SIZE_H_

#include <cstdint>

#include "common/free_format.h"

/// The answer as k, or 0 when it is none of 2 to 8 (or no value, or the
/// end of input).
int8_t read_subset_size(LineSource& input);

/// Asks for k and returns it; an answer that is not a whole number from
/// 2 to 8 ends the run through ErrorReporter.
int8_t determine_subset_size();

#endif  // SORVEL_ANALYSES_MIM_SUBSET_SIZE_H_
