#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "sim/DurableFile.h"

namespace kt90::sim {

namespace {

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool writeAll(int fd, ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string syncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return systemError("cannot open the folder");
  const bool ok = ::fsync(fd) == 0;
  const std::string error = ok ? std::string() : systemError("cannot sync the folder");
  ::close(fd);
  return error;
}

}  // namespace

std::string replaceFileDurably(const std::filesystem::path& path, ByteView bytes) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + "~";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return systemError("cannot create a file beside it");
  std::string error;
  if (!writeAll(fd, bytes)) error = systemError("cannot write");
  if (error.empty() && ::fsync(fd) != 0) error = systemError("cannot sync");
  if (::close(fd) != 0 && error.empty()) error = systemError("cannot close");
  if (error.empty() && ::rename(temp.c_str(), path.c_str()) != 0) error = systemError("cannot rename");
  if (!error.empty()) {
    ::unlink(temp.c_str());
    return error;
  }
  return syncFolder(path.parent_path());
}

std::string AppendOnlyFile::open(const std::filesystem::path& path) {
  close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  return fd_ < 0 ? systemError("cannot open") : std::string();
}

std::string AppendOnlyFile::append(ByteView bytes) {
  if (fd_ < 0) return "not open";
  if (!writeAll(fd_, bytes)) return systemError("cannot write");
  if (::fdatasync(fd_) != 0) return systemError("cannot sync");
  return {};
}

void AppendOnlyFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace kt90::sim
