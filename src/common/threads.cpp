#include "common/threads.h"

#include <charconv>
#include <exception>
#include <atomic>
#include <thread>
#include <vector>

std::optional<int> parse_thread_count(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || rest != end || value < 1 || value > MAX_THREADS) return std::nullopt;
  return value;
}

int hardware_thread_count() {
  unsigned count = std::thread::hardware_concurrency();
  if (count == 0) return 1;  // unknown: no extra thread
  return count > static_cast<unsigned>(MAX_THREADS) ? MAX_THREADS : static_cast<int>(count);
}

// A thread that cannot be started (no memory for its stack, a process
// limit) costs speed, not the run: its slot runs on the calling thread
// after slot 0.
void run_on_threads(int threads, const std::function<void(int slot)>& job) {
  std::vector<std::thread> helpers;
  int started = 1;
  try {
    for (; started < threads; ++started) helpers.emplace_back(job, started);
  } catch (const std::exception&) {
  }
  job(0);
  for (int slot = started; slot < threads; ++slot) job(slot);
  for (std::thread& helper : helpers) helper.join();
}

void parallel_for(int32_t count, int threads, const std::function<void(int32_t)>& job) {
  std::atomic<int32_t> next{0};
  run_on_threads(threads < count ? threads : (count > 0 ? count : 1), [&](int) {
    for (int32_t i = next++; i < count; i = next++) job(i);
  });
}
