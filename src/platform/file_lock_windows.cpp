#include "platform/file_lock.h"

#include <windows.h>

std::string lock_file_name(const std::string& path) { return path + ".lock"; }

bool file_lock_acquire(FileLock& lock, const std::string& path) {
  lock = FileLock();
  HANDLE file = CreateFileA(lock_file_name(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Without LOCKFILE_FAIL_IMMEDIATELY the call waits for the holder.
  OVERLAPPED whole = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(file);
    return false;
  }
  lock.handle = reinterpret_cast<intptr_t>(file);
  return true;
}

void file_lock_release(FileLock& lock) {
  if (lock.handle == -1) return;
  HANDLE file = reinterpret_cast<HANDLE>(lock.handle);
  OVERLAPPED whole = {};
  UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(file);
  lock.handle = -1;
}
