#include "common/site.h"

#include <cmath>
#include <cstdlib>
#include <string>

std::string default_site_name(std::string_view data_file) {
  std::size_t slash = data_file.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? data_file : data_file.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

std::optional<double> parse_coordinate(std::string_view text, double limit) {
  std::string word(text);
  if (word.empty() || word.find_first_of(" \t") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(word.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value) || value < -limit || value > limit) return std::nullopt;
  return value;
}
