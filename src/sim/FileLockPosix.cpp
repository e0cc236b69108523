#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "sim/FileLock.h"

namespace kt90::sim {

FileLock::Result FileLock::acquire(const std::filesystem::path& lockFile, std::chrono::milliseconds wait) {
  release();
  const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    problem_ = std::string("cannot open ") + lockFile.string() + ": " + std::strerror(errno);
    return Result::Failed;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return Result::Locked;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      problem_ = std::string("cannot lock ") + lockFile.string() + ": " + std::strerror(errno);
      ::close(fd);
      return Result::Failed;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return Result::Busy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void FileLock::release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace kt90::sim
