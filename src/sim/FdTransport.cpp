#include "sim/FdTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace kt90::sim {

int pollTimeout(wire::Deadline deadline) {
  const auto left = deadline - wire::Clock::now();
  if (left <= wire::Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > 1000000 ? 1000000 : static_cast<int>(ms);
}

FdTransport::~FdTransport() {
  if (fd_ >= 0) ::close(fd_);
}

bool FdTransport::open(const std::string& portName) {
  close();
  if (!adopted_.empty()) {
    if (portName != adopted_ || fd_ < 0) return false;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    open_ = true;
    return true;
  }
  fd_ = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return false;
  termios tio{};
  if (::isatty(fd_) && ::tcgetattr(fd_, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
    ::tcflush(fd_, TCIFLUSH);
  }
  open_ = true;
  return true;
}

void FdTransport::close() {
  open_ = false;
  if (adopted_.empty() && fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool FdTransport::write(ByteView bytes, wire::Deadline deadline) {
  if (!open_) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd_, POLLOUT, 0};
    const int timeout = pollTimeout(deadline);
    if (::poll(&p, 1, timeout) == 0 && timeout == 0) return false;
  }
  return true;
}

long FdTransport::read(std::span<std::uint8_t> into, wire::Deadline deadline) {
  if (!open_) return -1;
  for (;;) {
    const ssize_t n = ::read(fd_, into.data(), into.size());
    if (n > 0) return static_cast<long>(n);
    if (n == 0) return -1;  // the other end has gone
    if (errno != EAGAIN && errno != EINTR) return -1;
    pollfd p{fd_, POLLIN, 0};
    const int timeout = pollTimeout(deadline);
    const int ready = ::poll(&p, 1, timeout);
    if (ready == 0 && timeout == 0) return 0;
    if (ready > 0 && (p.revents & (POLLERR | POLLNVAL))) return -1;
  }
}

}  // namespace kt90::sim
