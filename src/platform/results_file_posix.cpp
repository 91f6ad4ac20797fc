#include "platform/results_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

// Temporary files that an interrupt must remove. The handler may only use
// async-signal-safe calls, so the names live in fixed buffers.
static const int MAX_PENDING = 4;
static const size_t MAX_PATH_BYTES = 4096;
static char pending_paths[MAX_PENDING][MAX_PATH_BYTES];
static volatile sig_atomic_t pending_used[MAX_PENDING];

static void remove_pending_and_exit(int) {
  for (int i = 0; i < MAX_PENDING; ++i) {
    if (pending_used[i]) unlink(pending_paths[i]);
  }
  static const char note[] = "\n  Interrupted --- results file not written.\n";
  ssize_t ignored = write(STDOUT_FILENO, note, sizeof note - 1);
  (void)ignored;
  _exit(1);
}

static void install_interrupt_handlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = remove_pending_and_exit;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

static int register_pending(const std::string& temp_path) {
  if (temp_path.size() + 1 > MAX_PATH_BYTES) return -1;
  for (int i = 0; i < MAX_PENDING; ++i) {
    if (!pending_used[i]) {
      std::memcpy(pending_paths[i], temp_path.c_str(), temp_path.size() + 1);
      pending_used[i] = 1;
      return i;
    }
  }
  return -1;
}

static void unregister_pending(ResultsFile& file) {
  if (file.slot >= 0) pending_used[file.slot] = 0;
  file.slot = -1;
}

static mode_t default_file_mode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool results_file_open(ResultsFile& file, const std::string& path) {
  install_interrupt_handlers();
  file = ResultsFile();
  file.path = path;
  std::string pattern = path + ".tmp-XXXXXX";
  std::string buffer = pattern;
  sigset_t block, previous;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  sigaddset(&block, SIGTERM);
  sigaddset(&block, SIGHUP);
  sigprocmask(SIG_BLOCK, &block, &previous);
  int fd = mkstemp(buffer.data());
  if (fd >= 0) {
    file.temp_path = buffer;
    file.slot = register_pending(buffer);
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (fd < 0) return false;
  if (file.slot < 0 || fchmod(fd, default_file_mode()) != 0) {
    close(fd);
    unlink(buffer.c_str());
    unregister_pending(file);
    return false;
  }
  file.stream = fdopen(fd, "w");
  if (file.stream == nullptr) {
    close(fd);
    unlink(buffer.c_str());
    unregister_pending(file);
    return false;
  }
  std::setvbuf(file.stream, nullptr, _IOFBF, 1 << 20);
  return true;
}

void results_file_write(ResultsFile& file, const std::string& text) {
  if (file.failed || file.stream == nullptr) return;
  if (std::fwrite(text.data(), 1, text.size(), file.stream) != text.size()) file.failed = true;
}

void results_file_discard(ResultsFile& file) {
  if (file.stream != nullptr) {
    std::fclose(file.stream);
    file.stream = nullptr;
  }
  if (!file.temp_path.empty()) unlink(file.temp_path.c_str());
  unregister_pending(file);
}

bool results_file_commit(ResultsFile& file) {
  if (file.stream == nullptr) return false;
  bool ok = !file.failed && std::fflush(file.stream) == 0 && fsync(fileno(file.stream)) == 0;
  ok = (std::fclose(file.stream) == 0) && ok;
  file.stream = nullptr;
  if (ok) ok = std::rename(file.temp_path.c_str(), file.path.c_str()) == 0;
  if (!ok) {
    unlink(file.temp_path.c_str());
    unregister_pending(file);
    return false;
  }
  unregister_pending(file);
  return true;
}
