// Right-aligned number fields of a fixed width, as the results files lay
// them out. A value too wide for its field fills the field with asterisks,
// so that a wrong number can never pass for a right one.
#ifndef SORVEL_COMMON_NUMBER_FORMAT_H_
#define SORVEL_COMMON_NUMBER_FORMAT_H_

#include <string>

/// Nearest whole number, halves away from zero.
long round_half_away(float value);
long round_half_away(double value);

/// Appends `value` right-aligned in `width` columns.
void append_int(std::string& out, long value, int width);

/// The same field written over field[0 .. width - 1].
void write_int_field(char* field, long value, int width);

/// Appends `value` in fixed point with `decimals` decimals, right-aligned
/// in `width` columns. The decimal rounding is to nearest with halves away
/// from zero, applied to the exact value of the float; a negative value
/// that rounds to zero keeps its minus sign.
void append_fixed(std::string& out, float value, int width, int decimals);

/// Reads back a field that append_int wrote: columns [start, start +
/// width) of `line` hold blanks, an optional minus sign, then at least one
/// digit. False when they do not (or the value passes 10^9).
bool parse_int_field(const std::string& line, std::size_t start, std::size_t width, long& value);

#endif  // SORVEL_COMMON_NUMBER_FORMAT_H_
