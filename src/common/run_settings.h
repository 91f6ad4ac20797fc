// How a run is carried out, as the shell decided it from the options and
// the environment: threads, which code paths, and where progress goes.
// The stages read it and never change it.
#ifndef SORVEL_COMMON_RUN_SETTINGS_H_
#define SORVEL_COMMON_RUN_SETTINGS_H_

#include <cstdint>
#include <functional>
#include <string_view>

/// Where progress lines go: `write` is called with one whole line,
/// without its line end, and shows it at once.
struct ProgressSink {
  void (*write)(void* context, std::string_view line) = nullptr;  // null: nowhere
  void* context = nullptr;
};

/// How far a long computation has come: `done` units (resamples,
/// subsets) of `total`, told in ascending order on one thread at a time.
/// The caller decides what, if anything, to show of it.
using WorkProgress = std::function<void(int32_t done, int32_t total)>;

struct RunSettings {
  int threads = 1;          // threads the computations may use, at least 1
  bool reference = false;   // the straightforward paths that the fast ones must match
  bool quiet = false;       // no progress lines
  ProgressSink progress;    // where progress lines go
};

/// A progress line written as it stands; nothing when quiet.
void report_progress_line(const RunSettings& settings, std::string_view line);

/// A progress message: one blank, then the text; nothing when quiet.
void report_progress_message(const RunSettings& settings, std::string_view text);

#endif  // SORVEL_COMMON_RUN_SETTINGS_H_
