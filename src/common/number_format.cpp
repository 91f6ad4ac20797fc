#include "common/number_format.h"

#include <cmath>

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

// The decimal digits of a magnitude, written backwards from `end`;
// returns where they start. Results files hold millions of these fields,
// which printf would take most of a small run to lay out.
static char* digits_before(char* end, unsigned long long magnitude) {
  do {
    *--end = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  return end;
}

// The text of a whole number, written backwards from `end`; returns where
// it starts.
static char* int_before(char* end, long value) {
  // The magnitude in unsigned arithmetic, so that the most negative value
  // has one too.
  unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  char* start = digits_before(end, magnitude);
  if (value < 0) *--start = '-';
  return start;
}

static void fill_with_asterisks(char* field, int width) {
  for (int i = 0; i < width; ++i) field[i] = '*';
}

void append_int(std::string& out, long value, int width) {
  char text[32];
  char* end = text + sizeof text;
  char* start = int_before(end, value);
  append_field(out, start, static_cast<int>(end - start), width);
}

// The digits go straight into the field from its right end; a value that
// runs out of room is overwritten with asterisks.
void write_int_field(char* field, long value, int width) {
  unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  if (width <= 0) return;
  char* at = field + width;
  do {
    if (at == field) return fill_with_asterisks(field, width);
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    if (at == field) return fill_with_asterisks(field, width);
    *--at = '-';
  }
  while (at != field) *--at = ' ';
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
  unsigned long long whole = static_cast<unsigned long long>(units);
  unsigned long long unit = static_cast<unsigned long long>(scale[decimals]);
  char text[48];
  char* end = text + sizeof text;
  char* start = end;
  if (decimals == 0) {
    *--start = '.';
  } else {
    unsigned long long fraction = whole % unit;
    for (int d = 0; d < decimals; ++d) {
      *--start = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    *--start = '.';
  }
  start = digits_before(start, whole / unit);
  if (std::signbit(value)) *--start = '-';
  append_field(out, start, static_cast<int>(end - start), width);
}

bool parse_int_field(const std::string& line, std::size_t start, std::size_t width, long& value) {
  if (start + width > line.size()) return false;
  std::size_t i = start, end = start + width;
  while (i < end && line[i] == ' ') ++i;
  bool negative = i < end && line[i] == '-';
  if (negative) ++i;
  if (i == end) return false;
  long number = 0;
  for (; i < end; ++i) {
    if (line[i] < '0' || line[i] > '9' || number > 100000000L) return false;
    number = number * 10 + (line[i] - '0');
  }
  value = negative ? -number : number;
  return true;
}
