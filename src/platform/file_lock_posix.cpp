#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

std::string lock_file_name(const std::string& path) { return path + ".lock"; }

bool file_lock_acquire(FileLock& lock, const std::string& path) {
  lock = FileLock();
  int fd;
  do {
    fd = open(lock_file_name(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  int locked;
  do {
    locked = flock(fd, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    close(fd);
    return false;
  }
  lock.handle = fd;
  return true;
}

void file_lock_release(FileLock& lock) {
  if (lock.handle < 0) return;
  int fd = static_cast<int>(lock.handle);
  flock(fd, LOCK_UN);
  close(fd);
  lock.handle = -1;
}
