#include "import/field_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

static std::string lower(const std::string& text) {
  std::string out;
  for (unsigned char c : text) out += static_cast<char>(std::tolower(c));
  return out;
}

bool parse_decimal(const std::string& text, bool decimal_comma, double& value) {
  std::string s = text;
  if (decimal_comma) {
    for (char& c : s)
      if (c == ',') c = '.';
  }
  if (s.empty() || std::isspace(static_cast<unsigned char>(s[0]))) return false;
  char* end = nullptr;
  value = std::strtod(s.c_str(), &end);
  // strtod also takes "inf", "nan" and hexadecimal: none is a measurement.
  bool plain = s.find_first_not_of("0123456789+-.eE") == std::string::npos;
  return plain && end == s.c_str() + s.size() && std::isfinite(value);
}

bool compass_azimuth(const std::string& letters, double& azimuth) {
  static const char* const names[] = {"n", "ne", "e", "se", "s", "sw", "w", "nw"};
  std::string l = lower(letters);
  for (int i = 0; i < 8; ++i) {
    if (l == names[i]) {
      azimuth = 45.0 * i;
      return true;
    }
  }
  return false;
}

bool is_compass_text(const std::string& text) {
  double ignored;
  return compass_azimuth(text, ignored);
}

NumberAndLetters split_trailing_letters(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && std::isalpha(static_cast<unsigned char>(text[end - 1]))) --end;
  size_t number_end = end;
  while (number_end > 0 && text[number_end - 1] == ' ') --number_end;
  return {text.substr(0, number_end), text.substr(end)};
}

bool sense_of_text(const std::string& text, char& sense) {
  static const struct {
    const char* word;
    char sense;
  } words[] = {{"n", 'N'}, {"normal", 'N'},   {"r", 'R'}, {"reverse", 'R'}, {"i", 'R'},
               {"inverse", 'R'}, {"d", 'D'}, {"dextral", 'D'}, {"s", 'S'}, {"sinistral", 'S'}};
  std::string l = lower(text);
  // Our own data file allows a sense in apostrophes ('N').
  if (l.size() >= 2 && l.front() == '\'' && l.back() == '\'') l = l.substr(1, l.size() - 2);
  for (const auto& w : words) {
    if (l == w.word) {
      sense = w.sense;
      return true;
    }
  }
  return false;
}

std::string folded_name(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c != ' ' && c != '_' && c != '-' && c != '\t') out += static_cast<char>(std::tolower(c));
  }
  return out;
}
