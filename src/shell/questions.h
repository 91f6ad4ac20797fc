// The questions of the dialogue after the file choice: the weight
// function and, for the MIM analysis, the subset size.
#ifndef SORVEL_SHELL_QUESTIONS_H_
#define SORVEL_SHELL_QUESTIONS_H_

#include <cstdint>

#include "common/free_format.h"

/// The answer to the menu as a number 1 to 4, or 0 when it is anything
/// else (not a whole number, out of range, no value, end of input).
int8_t read_weight_function_number(LineSource& input);

/// Shows the menu, reads the choice and echoes it; an invalid answer ends
/// the run through ErrorReporter.
int8_t determine_weightfunc();

/// The answer as k, or 0 when it is none of 2 to 8 (or no value, or the
/// end of input).
int8_t read_subset_size(LineSource& input);

/// Asks for k and returns it; an answer that is not a whole number from
/// 2 to 8 ends the run through ErrorReporter.
int8_t determine_subset_size();

#endif  // SORVEL_SHELL_QUESTIONS_H_
