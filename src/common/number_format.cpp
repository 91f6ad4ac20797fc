#include "common/number_format.h"

#include <cmath>
#include <cstdio>

long round_half_away(float value) { return std::lround(value); }
long round_half_away(double value) { return std::lround(value); }

static void append_field(std::string& out, const char* text, int length, int width) {
  if (length > width) {
    out.append(static_cast<size_t>(width), '*');
    return;
  }
  out.append(static_cast<size_t>(width - length), ' ');
  out.append(text, static_cast<size_t>(length));
}

void append_int(std::string& out, long value, int width) {
  char text[32];
  int length = std::snprintf(text, sizeof text, "%ld", value);
  append_field(out, text, length, width);
}

void append_fixed(std::string& out, float value, int width, int decimals) {
  if (!std::isfinite(value)) {
    out.append(static_cast<size_t>(width), '*');
    return;
  }
  // A float times a power of ten up to 10^6 is exact in double, so the
  // rounding below is the one decimal rounding of the float's exact value.
  static const double scale[] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};
  double scaled = static_cast<double>(value) * scale[decimals];
  double units = std::round(std::fabs(scaled));
  if (units > 9.0e15) {
    out.append(static_cast<size_t>(width), '*');
    return;
  }
  long long whole = static_cast<long long>(units);
  long long unit = static_cast<long long>(scale[decimals]);
  char text[48];
  int length;
  const char* sign = std::signbit(value) ? "-" : "";
  if (decimals == 0) {
    length = std::snprintf(text, sizeof text, "%s%lld.", sign, whole);
  } else {
    length = std::snprintf(text, sizeof text, "%s%lld.%0*lld", sign, whole / unit, decimals,
                           whole % unit);
  }
  append_field(out, text, length, width);
}
