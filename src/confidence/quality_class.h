// A quality class of a stress state on the World Stress Map's scale of
// accuracy, read from the bootstrap: the half-width of the 95 % interval
// of SHmax, A to 15 degrees, B to 20, C to 25, D to 40, E beyond. E too
// where SHmax is undefined, where more than 5 % of the resamples have no
// SHmax (the interval then holds fewer than 95 % of them), or where there
// is no bootstrap. This is our reading of the classes from our own
// bootstrap; the map's formal ranking of fault-slip data also weighs the
// kind and the age of the data, which a data file does not tell.
#ifndef SORVEL_CONFIDENCE_QUALITY_CLASS_H_
#define SORVEL_CONFIDENCE_QUALITY_CLASS_H_

#include <optional>

#include "confidence/confidence_report.h"

struct QualityClass {
  char letter;                            // 'A' to 'E'
  std::optional<double> shmax_halfwidth;  // degrees, hundredths; none without an interval
};

/// Half the width of an SHmax interval (low > high when it crosses north),
/// rounded to hundredths of a degree, so that ends written to tenths give
/// the class that their reader computes.
double shmax_halfwidth(const Interval& shmax);

/// The letter of a half-width; 'E' for none.
char quality_letter(std::optional<double> halfwidth);

/// The class of a state with SHmax `shmax` (none: undefined) and the
/// confidence of its bootstrap (none: no bootstrap).
QualityClass quality_class(std::optional<double> shmax, const std::optional<Confidence>& confidence);

#endif  // SORVEL_CONFIDENCE_QUALITY_CLASS_H_
