// The texts of a stress state that the summary lines, the reports and the
// pictures share, so that each says a state the same way.
#ifndef SORVEL_FORMATS_STATE_TEXT_H_
#define SORVEL_FORMATS_STATE_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "grid/state_axes.h"

/// An axis as "AAA/PP": azimuth in three digits, plunge in two.
std::string axis_text(WholeDegreeAxis axis);

/// An axis to the tenth of a degree as "AAA.A/PP.P" ("095.1/03.2"); a
/// trend that rounds to 360 is 000.0.
std::string tenths_axis_text(double trend, double plunge);

/// Phi from its tenths, "0.5".
std::string phi_text(long tenths);

/// A value to one decimal, "5.1".
std::string one_decimal(double value);

/// An SHmax azimuth in degrees as three whole digits, 0 to 179 ("005"),
/// or "none".
std::string shmax_text(std::optional<double> degrees);

/// The name of weight function 1 to 4 as options and reports give it:
/// "cosine", "linear", "tangent" or "hyperbolic-tangent".
const char* weight_name(int8_t weight_id);

/// A weight function by its menu number (1 to 4) or its name, or nothing.
std::optional<int8_t> weight_of_name(std::string_view text);

#endif  // SORVEL_FORMATS_STATE_TEXT_H_
