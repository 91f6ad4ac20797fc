// Running work on several threads. How many a run uses is one of its
// settings (common/run_settings.h), which the shell decides.
#ifndef SORVEL_COMMON_THREADS_H_
#define SORVEL_COMMON_THREADS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

/// Most threads a run may use: more gain nothing on any machine we run
/// on, and a typing slip such as 10000 should not start ten thousand.
inline constexpr int MAX_THREADS = 1024;

/// The machine's hardware threads, 1 to MAX_THREADS (1 when unknown).
int hardware_thread_count();

/// A thread count written as a whole number from 1 to 1024, or nothing.
std::optional<int> parse_thread_count(std::string_view text);

/// Runs job(slot) for slot = 0 .. threads - 1, each on its own thread (slot
/// 0 on the calling one); returns when all have returned.
void run_on_threads(int threads, const std::function<void(int slot)>& job);

/// Runs job(0) .. job(count - 1) on `threads` threads, the calling one
/// among them; each index is taken by the next free thread, so the jobs
/// must not depend on one another. Returns when all are done.
void parallel_for(int32_t count, int threads, const std::function<void(int32_t)>& job);

#endif  // SORVEL_COMMON_THREADS_H_
