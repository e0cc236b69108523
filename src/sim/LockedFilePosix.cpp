#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "core/base/FileIo.h"
#include "sim/LockedFile.h"

namespace kt90::sim {
namespace {

std::string systemProblem(const std::string& step) { return step + ": " + std::strerror(errno); }

// Whether `fd` is still the file at `path`: a holder that replaced the file leaves the old
// one behind unnamed, and whoever waited on that one must look again.
bool stillNamed(int fd, const std::filesystem::path& path) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

LockedFile::Result LockedFile::acquire(const std::filesystem::path& path, std::chrono::milliseconds wait) {
  release();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      problem_ = systemProblem("cannot open " + pathToUtf8(path));
      return Result::Failed;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        problem_ = systemProblem("cannot lock " + pathToUtf8(path));
        ::close(fd);
        return Result::Failed;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::close(fd);
        return Result::Busy;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(path, error);
    if (!error && stillNamed(fd, real)) {
      file_ = fd;
      realPath_ = std::move(real);
      return Result::Locked;
    }
    ::close(fd);
  }
}

std::string LockedFile::replace(ByteView bytes) {
  if (!held()) return "not open";
  AtomicWriteRequest request;
  request.target = realPath_;
  request.bytes = bytes;
  request.ownerOnly = true;
  request.keepLocked = true;
  const AtomicWriteOutcome outcome = writeAtomically(request);
  if (outcome.held != kNoNativeFile) {
    // The new file was locked before it took the name; the old one, now nameless, can go.
    closeNativeFile(file_);
    file_ = outcome.held;
  }
  return outcome.problem;
}

std::string LockedFile::append(ByteView bytes) {
  if (!held()) return "not open";
  const int fd = static_cast<int>(file_);
  const off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) return systemProblem("cannot seek");
  std::size_t done = 0;
  std::string problem;
  while (done < bytes.size() && problem.empty()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      problem = systemProblem("cannot write");
    } else {
      done += static_cast<std::size_t>(n);
    }
  }
  if (problem.empty() && ::fdatasync(fd) != 0) problem = systemProblem("cannot sync");
  if (!problem.empty()) {
    // A part of a change would make the file unreadable; without it the file is the state
    // before this change, whole. Shrinking needs no new space, so this works on a full disk.
    if (::ftruncate(fd, end) == 0) ::fdatasync(fd);
  }
  return problem;
}

}  // namespace kt90::sim
