#include "confidence/quality_class.h"

#include <cmath>

namespace {

struct ClassBound {
  char letter;
  double halfwidth;  // degrees, the largest of the class
};

const ClassBound BOUNDS[] = {{'A', 15.0}, {'B', 20.0}, {'C', 25.0}, {'D', 40.0}};

}  // namespace

double shmax_halfwidth(const Interval& shmax) {
  double width = shmax.high - shmax.low;
  if (width < 0.0) width += 180.0;
  return std::round(width * 50.0) / 100.0;
}

char quality_letter(std::optional<double> halfwidth) {
  if (!halfwidth) return 'E';
  for (const ClassBound& bound : BOUNDS)
    if (*halfwidth <= bound.halfwidth) return bound.letter;
  return 'E';
}

QualityClass quality_class(std::optional<double> shmax, const std::optional<Confidence>& confidence) {
  if (!confidence || !confidence->shmax) return QualityClass{'E', std::nullopt};
  double halfwidth = shmax_halfwidth(*confidence->shmax);
  bool too_often_undefined =
      confidence->shmax_undefined > (1.0 - confidence->level) * confidence->resamples;
  if (!shmax || too_often_undefined) return QualityClass{'E', halfwidth};
  return QualityClass{quality_letter(halfwidth), halfwidth};
}
