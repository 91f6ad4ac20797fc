// How many threads the computations may use. Every hardware thread by
// default; SORVEL_THREADS sets the count (1: no thread besides the main
// one), and a program option may set it before the first use.
#ifndef SORVEL_COMMON_THREADS_H_
#define SORVEL_COMMON_THREADS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

/// The thread count of this run, at least 1. The first call settles it
/// from SORVEL_THREADS or the hardware, unless set_thread_count came first.
int thread_count();

/// Fixes the thread count of this run (count >= 1).
void set_thread_count(int count);

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
