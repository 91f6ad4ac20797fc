// An exclusive lock that concurrent runs of the programs take before they
// read, extend and replace a shared file (a table of sites that every run
// adds its row to): the lock is held on a file of its own beside the
// shared one, PATH.lock, which stays there. The operating system drops the
// lock when its holder ends, however it ends.
#ifndef SORVEL_PLATFORM_FILE_LOCK_H_
#define SORVEL_PLATFORM_FILE_LOCK_H_

#include <cstdint>
#include <string>

struct FileLock {
  intptr_t handle = -1;  // the open lock file, -1: not held
};

/// The name of the lock file of `path`.
std::string lock_file_name(const std::string& path);

/// Waits until this run holds the lock of `path`; false when the lock
/// file cannot be opened or locked.
bool file_lock_acquire(FileLock& lock, const std::string& path);

/// Lets the next run have the lock.
void file_lock_release(FileLock& lock);

#endif  // SORVEL_PLATFORM_FILE_LOCK_H_
