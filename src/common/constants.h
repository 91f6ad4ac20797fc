// Fixed sizes of the grid of stress states and the single-precision
// constants that every computation shares. The constants are the
// single-precision values the results files were defined with; a more
// precise value would move lines of those files, so none is replaced.
#ifndef SORVEL_COMMON_CONSTANTS_H_
#define SORVEL_COMMON_CONSTANTS_H_

#include <cstdint>

inline constexpr float PI_HALF = 1.5707964f;
inline constexpr float PI = 3.1415927f;
inline constexpr float TWO_PI = 6.2831855f;
inline constexpr float FOUR_PI = 12.566371f;

/// Radians per degree; degrees are radians divided by it.
inline constexpr float DEG_TO_RAD = 0.017453292f;

/// Vectors shorter than this (2 to the power -22) count as zero length.
inline constexpr float ZERO_LENGTH = 2.3841858e-7f;

inline constexpr int16_t GSS_SIGMA3_COUNT = 300;  // sigma3 directions
inline constexpr int8_t GSS_SIGMA1_COUNT = 18;    // sigma1 turns per sigma3 axis
inline constexpr int8_t GSS_RATIO_COUNT = 11;     // stress ratios per pair of axes
inline constexpr int32_t GSS_SIZE = 59400;        // 300 * 18 * 11 stress states

/// The fault count is a signed 16-bit number.
inline constexpr int32_t MAX_FAULT_COUNT = 32767;

#endif  // SORVEL_COMMON_CONSTANTS_H_
