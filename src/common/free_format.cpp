#include "common/free_format.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

// ---- line sources ----

StreamLineSource::StreamLineSource(std::FILE* stream, bool skip_bom)
    : stream_(stream), skip_bom_(skip_bom), at_start_(true) {}

// Skips a UTF-8 byte-order mark (EF BB BF). A byte EF that starts no such
// mark cannot start a number either, so the datum read after it fails
// whatever of it is put back.
static void skip_byte_order_mark(std::FILE* stream) {
  int first = std::getc(stream);
  if (first != 0xEF) {
    if (first != EOF) std::ungetc(first, stream);
    return;
  }
  int second = std::getc(stream);
  if (second != 0xBB) {
    if (second != EOF) std::ungetc(second, stream);
    return;
  }
  int third = std::getc(stream);
  if (third != 0xBF && third != EOF) std::ungetc(third, stream);
}

static void begin(std::FILE* stream, bool skip_bom, bool& at_start) {
  if (!at_start) return;
  at_start = false;
  if (skip_bom) skip_byte_order_mark(stream);
}

bool StreamLineSource::next_line(std::string& line) {
  begin(stream_, skip_bom_, at_start_);
  line.clear();
  int c = std::getc(stream_);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    line.push_back(static_cast<char>(c));
    c = std::getc(stream_);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool StreamLineSource::at_end() {
  begin(stream_, skip_bom_, at_start_);
  int c = std::getc(stream_);
  if (c == EOF) return true;
  std::ungetc(c, stream_);
  return false;
}

bool StreamLineSource::failed() { return std::ferror(stream_) != 0; }

StringLineSource::StringLineSource(std::string text) : text_(std::move(text)) {}

bool StringLineSource::next_line(std::string& line) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find('\n', pos_);
  if (end == std::string::npos) end = text_.size();
  line.assign(text_, pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  pos_ = end + 1;
  return true;
}

bool StringLineSource::at_end() { return pos_ >= text_.size(); }

// ---- number syntax ----

static bool is_digit(char c) { return c >= '0' && c <= '9'; }

static size_t skip_digits(const std::string& s, size_t i) {
  while (i < s.size() && is_digit(s[i])) ++i;
  return i;
}

bool parse_real(const std::string& token, float& value) {
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  size_t mantissa_start = i;
  i = skip_digits(token, i);
  size_t digits = i - mantissa_start;
  if (i < token.size() && token[i] == '.') {
    size_t fraction_start = ++i;
    i = skip_digits(token, i);
    digits += i - fraction_start;
  }
  if (digits == 0) return false;
  std::string text = token.substr(0, i);
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E' || token[i] == 'd' || token[i] == 'D')) {
    text.push_back('e');
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) text.push_back(token[i++]);
    size_t exponent_start = i;
    i = skip_digits(token, i);
    if (i == exponent_start) return false;
    text.append(token, exponent_start, i - exponent_start);
  }
  if (i != token.size()) return false;
  errno = 0;
  // Read straight into single precision, so that the value is rounded once.
  float parsed = std::strtof(text.c_str(), nullptr);
  if (!std::isfinite(parsed) || (errno == ERANGE && std::fabs(parsed) > 1.0f)) return false;
  value = parsed;
  return true;
}

bool parse_integer(const std::string& token, int64_t& value) {
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  size_t digits_start = i;
  i = skip_digits(token, i);
  if (i == digits_start || i != token.size()) return false;
  errno = 0;
  // 64 bits on every platform (a long has 32 on Windows), so that a long
  // answer is a value out of range everywhere rather than a misread here.
  long long parsed = std::strtoll(token.c_str(), nullptr, 10);
  if (errno == ERANGE) return false;
  value = parsed;
  return true;
}

// ---- the free-form read ----

namespace {

// The cursor of one read: the current line and a position in it.
struct Cursor {
  LineSource& source;
  std::string line;
  size_t pos = 0;

  bool blank_here() const { return pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'); }
  bool at_line_end() const { return pos >= line.size(); }

  void skip_blanks() {
    while (blank_here()) ++pos;
  }

  // Skips blanks and line ends; false when the input ends first.
  bool skip_to_next_character() {
    for (;;) {
      skip_blanks();
      if (!at_line_end()) return true;
      if (!source.next_line(line)) return false;
      pos = 0;
    }
  }
};

bool ends_unquoted_token(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

std::string unquoted_token(Cursor& cursor) {
  size_t start = cursor.pos;
  while (!cursor.at_line_end() && !ends_unquoted_token(cursor.line[cursor.pos])) ++cursor.pos;
  return cursor.line.substr(start, cursor.pos - start);
}

// A quoted text ends at its closing quote or, unclosed, at the line end.
std::string quoted_token(Cursor& cursor) {
  char quote = cursor.line[cursor.pos++];
  std::string text;
  while (!cursor.at_line_end()) {
    char c = cursor.line[cursor.pos++];
    if (c != quote) {
      text.push_back(c);
    } else if (!cursor.at_line_end() && cursor.line[cursor.pos] == quote) {
      text.push_back(quote);
      ++cursor.pos;
    } else {
      break;
    }
  }
  return text;
}

bool read_value(Cursor& cursor, ValueKind kind, FreeFormValue& value) {
  char c = cursor.line[cursor.pos];
  bool quoted = c == '\'' || c == '"';
  std::string token = quoted ? quoted_token(cursor) : unquoted_token(cursor);
  switch (kind) {
    case ValueKind::text:
      value.text = token;
      break;
    case ValueKind::real:
      if (quoted || !parse_real(token, value.real)) return false;
      break;
    case ValueKind::integer:
      if (quoted || !parse_integer(token, value.integer)) return false;
      break;
  }
  value.set = true;
  return true;
}

}  // namespace

ReadStatus read_free_form(LineSource& source, const std::vector<ValueKind>& kinds,
                          std::vector<FreeFormValue>& values) {
  values.assign(kinds.size(), FreeFormValue());
  Cursor cursor{source, std::string(), 0};
  if (!source.next_line(cursor.line)) return ReadStatus::end_of_input;
  // A comma met where a value is due is a null value when the separator
  // before it was a comma too, or at the very start of the read.
  bool after_comma = true;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (!cursor.skip_to_next_character()) return ReadStatus::end_of_input;
    char c = cursor.line[cursor.pos];
    if (c == '/') return ReadStatus::ok;
    if (c == ',' && after_comma) {
      ++cursor.pos;
      continue;
    }
    if (!read_value(cursor, kinds[i], values[i])) return ReadStatus::bad_value;
    if (i + 1 == kinds.size()) break;
    // The separator after a value: blanks and line ends, at most one comma.
    if (!cursor.skip_to_next_character()) return ReadStatus::end_of_input;
    after_comma = cursor.line[cursor.pos] == ',';
    if (after_comma) ++cursor.pos;
  }
  return ReadStatus::ok;
}
