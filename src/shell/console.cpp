#include "shell/console.h"

#include <cstdio>

void message_line(std::string_view text) {
  std::fputc(' ', stdout);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

void write_prompt(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void write_line(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

void flush_console() { std::fflush(stdout); }

LineSource& console_input() {
  static StreamLineSource source(stdin);
  return source;
}
