#include "shell/console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "common/threads.h"
#include "platform/console_window.h"

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

void show_progress_message(std::string_view text) {
  message_line(text);
  flush_console();
}

// Each line is flushed so that it shows while the stage runs.
static void write_progress(void*, std::string_view line) {
  write_line(line);
  flush_console();
}

static int threads_from_environment() {
  const char* text = std::getenv("SORVEL_THREADS");
  if (text == nullptr || *text == '\0') return hardware_thread_count();
  if (std::optional<int> count = parse_thread_count(text)) return *count;
  int fallback = hardware_thread_count();
  std::fprintf(stderr, "SORVEL_THREADS=%s is not a whole number from 1 to %d; using %d threads\n",
               text, MAX_THREADS, fallback);
  return fallback;
}

RunSettings console_run_settings(int threads, bool quiet) {
  RunSettings settings;
  settings.threads = threads > 0 ? threads : threads_from_environment();
  const char* reference = std::getenv("SORVEL_REFERENCE");
  settings.reference = reference != nullptr && std::strcmp(reference, "1") == 0;
  settings.quiet = quiet;
  settings.progress = ProgressSink{write_progress, nullptr};
  return settings;
}

LineSource& console_input() {
  static StreamLineSource source(stdin);
  return source;
}

static bool paused = false;

void pause_for_enter(std::string_view prompt) {
  paused = true;
  write_prompt(prompt);
  std::string answer;
  if (!console_input().next_line(answer)) write_line("");
}

static void pause_before_window_closes() {
  if (!paused) pause_for_enter("  Press Enter to close this window. ");
  flush_console();
}

void keep_own_window_open() {
  if (console_window_is_own()) std::atexit(pause_before_window_closes);
}
