#include "common/threads.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <atomic>
#include <thread>
#include <vector>

// More threads than this gain nothing on any machine we run on, and a
// typing slip such as 10000 should not start ten thousand threads.
static const int MAX_THREADS = 1024;

static int chosen_count = 0;  // 0 until settled

std::optional<int> parse_thread_count(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || rest != end || value < 1 || value > MAX_THREADS) return std::nullopt;
  return value;
}

static int hardware_threads() {
  unsigned count = std::thread::hardware_concurrency();
  if (count == 0) return 1;  // unknown: no extra thread
  return count > static_cast<unsigned>(MAX_THREADS) ? MAX_THREADS : static_cast<int>(count);
}

// A value that cannot be used is said once on standard error, so that the
// console dialogue and the results stay as they are.
static int count_from_environment() {
  const char* text = std::getenv("SORVEL_THREADS");
  if (text == nullptr || *text == '\0') return hardware_threads();
  if (std::optional<int> count = parse_thread_count(text)) return *count;
  int fallback = hardware_threads();
  std::fprintf(stderr, "SORVEL_THREADS=%s is not a whole number from 1 to %d; using %d threads\n",
               text, MAX_THREADS, fallback);
  return fallback;
}

int thread_count() {
  if (chosen_count == 0) chosen_count = count_from_environment();
  return chosen_count;
}

void set_thread_count(int count) { chosen_count = count < 1 ? 1 : count; }

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
