#include "import/delimited_table.h"

#include <cstring>

static std::vector<std::string> physical_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

static bool is_skipped(const std::string& line) {
  size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos || line[first] == '#';
}

static std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

static char delimiter_of(const std::string& line) {
  bool quoted = false;
  std::string seen;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (!quoted && std::strchr("\t;,", c) != nullptr) seen += c;
  }
  for (char d : {'\t', ';', ','}) {
    if (seen.find(d) != std::string::npos) return d;
  }
  return ' ';
}

// True at a character that ends a field: the delimiter, or for blank
// delimiting any blank.
static bool ends_field(char c, char delimiter) {
  return delimiter == ' ' ? is_blank(c) : c == delimiter;
}

// Reads one field starting at `at`; leaves `at` on the character after it.
static std::string next_field(const std::string& line, size_t& at, char delimiter) {
  std::string field;
  bool quoted = false;
  for (; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"' && quoted && at + 1 < line.size() && line[at + 1] == '"') {
      field += '"';
      ++at;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && ends_field(c, delimiter)) {
      break;
    } else {
      field += c;
    }
  }
  return trimmed(field);
}

static std::vector<std::string> split_fields(const std::string& line, char delimiter) {
  std::vector<std::string> fields;
  size_t at = 0;
  if (delimiter == ' ') {
    while (at < line.size()) {
      while (at < line.size() && is_blank(line[at])) ++at;
      if (at < line.size()) fields.push_back(next_field(line, at, delimiter));
    }
    return fields;
  }
  while (true) {
    fields.push_back(next_field(line, at, delimiter));
    if (at >= line.size()) return fields;
    ++at;
  }
}

Table read_table(const std::string& text) {
  Table table;
  std::vector<std::string> lines = physical_lines(text);
  bool first = true;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (is_skipped(lines[i])) continue;
    if (first) table.delimiter = delimiter_of(lines[i]);
    first = false;
    table.rows.push_back({static_cast<int>(i + 1), split_fields(lines[i], table.delimiter)});
  }
  return table;
}

std::string field_of(const TableRow& row, int index) {
  if (index < 0 || index >= static_cast<int>(row.fields.size())) return std::string();
  return row.fields[index];
}
