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

static bool progress_quiet = false;

void set_progress_quiet(bool quiet) { progress_quiet = quiet; }

void show_progress_message(std::string_view text) {
  if (progress_quiet) return;
  message_line(text);
  flush_console();
}

void show_progress_line(std::string_view text) {
  if (!progress_quiet) write_line(text);
}

LineSource& console_input() {
  static StreamLineSource source(stdin);
  return source;
}
