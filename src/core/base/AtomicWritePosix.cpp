#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/base/AtomicWrite.h"

namespace kt90 {
namespace {

std::string systemProblem(const char* step) { return std::string(step) + ": " + std::strerror(errno); }

bool writeAll(int fd, ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string syncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return systemProblem("cannot open the folder");
  const std::string problem = ::fsync(fd) == 0 ? std::string() : systemProblem("cannot sync the folder");
  ::close(fd);
  return problem;
}

}  // namespace

AtomicWriteOutcome writeAtomically(const AtomicWriteRequest& request) {
  AtomicWriteOutcome outcome;
  const std::filesystem::path temp = temporaryPathFor(request);
  // O_EXCL with O_NOFOLLOW: whatever already lies at the name, a planted link included,
  // makes the call fail instead of being opened.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        request.ownerOnly ? 0600 : 0666);
  if (fd < 0) {
    outcome.problem = systemProblem("cannot create a temporary file beside it");
    return outcome;
  }
  if (!writeAll(fd, request.bytes)) outcome.problem = systemProblem("cannot write");
  if (outcome.ok() && ::fsync(fd) != 0) outcome.problem = systemProblem("cannot sync");
  if (outcome.ok() && request.keepLocked && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    outcome.problem = systemProblem("cannot lock");
  }
  if (outcome.ok() && ::rename(temp.c_str(), request.target.c_str()) != 0) {
    outcome.problem = systemProblem("cannot rename it over the file");
  }
  if (!outcome.ok()) {
    ::unlink(temp.c_str());
    ::close(fd);
    return outcome;
  }
  if (request.keepLocked) {
    outcome.held = fd;
  } else if (::close(fd) != 0) {
    outcome.problem = systemProblem("cannot close");
    return outcome;
  }
  outcome.problem = syncFolder(temp.parent_path());
  return outcome;
}

void closeNativeFile(NativeFile file) {
  if (file != kNoNativeFile) ::close(static_cast<int>(file));
}

}  // namespace kt90
