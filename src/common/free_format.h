// Free-form reading of values, shared by the data file and the console
// answers. The rules:
//  - values are separated by blanks or tabs, or by one comma with optional
//    blanks around it; a line end separates like a blank;
//  - a read of several values may go on over the next lines; empty lines
//    before a value are skipped;
//  - a slash ends the read: the values not yet read stay unset;
//  - two commas in a row (blanks between them allowed), or a comma at the
//    start of the read, give a null value: that value stays unset;
//  - a text may be quoted with apostrophes or quotation marks (a doubled
//    quote inside stands for one); an unquoted text ends at a blank, a
//    comma, a slash or the line end; a bare number read as text is text;
//  - a read ends with the line of its last value: whatever follows on that
//    line is ignored, and the next read starts on the next line.
#ifndef SORVEL_COMMON_FREE_FORMAT_H_
#define SORVEL_COMMON_FREE_FORMAT_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

/// A source of text lines; line ends (LF or CR LF) are not part of a line.
class LineSource {
 public:
  virtual ~LineSource() = default;
  /// The next line, or false at the end of the input.
  virtual bool next_line(std::string& line) = 0;
  /// True when nothing at all is left to read.
  virtual bool at_end() = 0;
  /// True when reading has failed (a read error, not the end).
  virtual bool failed() { return false; }
};

/// Lines of a C stream (a file or standard input). Skips a UTF-8
/// byte-order mark at the very start when asked to.
class StreamLineSource : public LineSource {
 public:
  explicit StreamLineSource(std::FILE* stream, bool skip_bom = false);
  bool next_line(std::string& line) override;
  bool at_end() override;
  bool failed() override;

 private:
  std::FILE* stream_;
  bool skip_bom_;
  bool at_start_;
};

/// Lines of a text held in memory.
class StringLineSource : public LineSource {
 public:
  explicit StringLineSource(std::string text);
  bool next_line(std::string& line) override;
  bool at_end() override;

 private:
  std::string text_;
  size_t pos_ = 0;
};

enum class ValueKind { real, integer, text };

struct FreeFormValue {
  bool set = false;    // false when a slash or a null value left it unset
  float real = 0.0f;   // for ValueKind::real: a finite single-precision value
  int64_t integer = 0;  // for ValueKind::integer
  std::string text;    // for ValueKind::text, quotes removed
};

enum class ReadStatus {
  ok,            // every value read, or left unset by a slash or a null
  end_of_input,  // the input ended before the last value
  bad_value      // a value is not of its kind (or not a finite number)
};

/// Reads one value per entry of `kinds` from `source` into `values`.
ReadStatus read_free_form(LineSource& source, const std::vector<ValueKind>& kinds,
                          std::vector<FreeFormValue>& values);

/// Parses a whole token as a real number: optional sign, digits with an
/// optional point, optional exponent (E, e, D or d). False for anything
/// else, and for a value that is not finite in single precision.
bool parse_real(const std::string& token, float& value);

/// Parses a whole token as an optionally signed whole number.
bool parse_integer(const std::string& token, int64_t& value);

#endif  // SORVEL_COMMON_FREE_FORMAT_H_
