// Windows: the temporary file is created exclusively beside the chosen
// name, written in binary mode (a line feed stays one byte, as on every
// platform), forced to disk and moved over the chosen name in one step.
// A console interrupt (Ctrl+C, Ctrl+Break, closing the window) removes
// the temporary files still open.
#include "platform/results_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

static const int MAX_PENDING = 4;
static const size_t MAX_PATH_BYTES = 4096;
static char pending_paths[MAX_PENDING][MAX_PATH_BYTES];
static volatile LONG pending_used[MAX_PENDING];

static BOOL WINAPI remove_pending_and_exit(DWORD) {
  for (int i = 0; i < MAX_PENDING; ++i) {
    if (pending_used[i]) DeleteFileA(pending_paths[i]);
  }
  static const char note[] = "\n  Interrupted --- results file not written.\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), note, sizeof note - 1, &written, nullptr);
  ExitProcess(1);
  return TRUE;
}

static void install_interrupt_handlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SetConsoleCtrlHandler(remove_pending_and_exit, TRUE);
}

static int register_pending(const std::string& temp_path) {
  if (temp_path.size() + 1 > MAX_PATH_BYTES) return -1;
  for (int i = 0; i < MAX_PENDING; ++i) {
    if (!pending_used[i]) {
      std::memcpy(pending_paths[i], temp_path.c_str(), temp_path.size() + 1);
      InterlockedExchange(&pending_used[i], 1);
      return i;
    }
  }
  return -1;
}

static void unregister_pending(ResultsFile& file) {
  if (file.slot >= 0) InterlockedExchange(&pending_used[file.slot], 0);
  file.slot = -1;
}

// A name of the form "<path>.tmp-XXXXXX" that did not exist, created.
static HANDLE create_temporary(const std::string& path, std::string& temp_path) {
  static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 20);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    std::string name = path + ".tmp-";
    unsigned long long bits = seed >> 16;
    for (int i = 0; i < 6; ++i, bits /= 36) name += digits[bits % 36];
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      temp_path = name;
      return handle;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

bool results_file_open(ResultsFile& file, const std::string& path) {
  install_interrupt_handlers();
  file = ResultsFile();
  file.path = path;
  std::string temp_path;
  HANDLE handle = create_temporary(path, temp_path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  file.temp_path = temp_path;
  file.slot = register_pending(temp_path);
  int fd = file.slot < 0 ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    DeleteFileA(temp_path.c_str());
    unregister_pending(file);
    return false;
  }
  file.stream = _fdopen(fd, "wb");
  if (file.stream == nullptr) {
    _close(fd);
    DeleteFileA(temp_path.c_str());
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
  if (!file.temp_path.empty()) DeleteFileA(file.temp_path.c_str());
  unregister_pending(file);
}

// A file that another program holds open (a reader of the same table, a
// virus scanner, an indexer) cannot be replaced until it lets go, which
// is most often a matter of milliseconds: try for about two seconds
// before the write is reported as failed.
static bool replace_with(const std::string& temp_path, const std::string& path) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(temp_path.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
      return true;
    DWORD why = GetLastError();
    bool held = why == ERROR_SHARING_VIOLATION || why == ERROR_ACCESS_DENIED ||
                why == ERROR_LOCK_VIOLATION;
    if (!held || attempt == 100) return false;
    Sleep(20);
  }
}

bool results_file_commit(ResultsFile& file) {
  if (file.stream == nullptr) return false;
  bool ok = !file.failed && std::fflush(file.stream) == 0 &&
            FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file.stream)))) != 0;
  ok = (std::fclose(file.stream) == 0) && ok;
  file.stream = nullptr;
  if (ok) ok = replace_with(file.temp_path, file.path);
  if (!ok) DeleteFileA(file.temp_path.c_str());
  unregister_pending(file);
  return ok;
}
