#include "formats/state_text.h"

#include <cmath>
#include <cstdio>

static const char* const WEIGHT_NAMES[4] = {"cosine", "linear", "tangent", "hyperbolic-tangent"};

std::string axis_text(WholeDegreeAxis axis) {
  char text[32];
  std::snprintf(text, sizeof text, "%03d/%02d", axis.azimuth, axis.plunge);
  return text;
}

std::string phi_text(long tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10); }

std::string tenths_axis_text(double trend, double plunge) {
  long t = std::lround(trend * 10.0), p = std::lround(plunge * 10.0);
  if (t >= 3600) t -= 3600;
  char text[64];
  std::snprintf(text, sizeof text, "%03ld.%ld/%02ld.%ld", t / 10, t % 10, p / 10, p % 10);
  return text;
}

std::string one_decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string shmax_text(std::optional<double> degrees) {
  if (!degrees) return "none";
  char text[16];
  std::snprintf(text, sizeof text, "%03ld", std::lround(*degrees) % 180);
  return text;
}

const char* weight_name(int8_t weight_id) { return WEIGHT_NAMES[weight_id - 1]; }

std::optional<int8_t> weight_of_name(std::string_view text) {
  for (int id = 1; id <= 4; ++id) {
    if (text == WEIGHT_NAMES[id - 1] || text == std::to_string(id)) return static_cast<int8_t>(id);
  }
  return std::nullopt;
}
