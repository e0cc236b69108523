#include "sim/FdServer.h"

#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace kt90::sim {

void tightenTimerSlack() { ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); }

bool FdServer::writeAll(const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    // Nobody reads the line: give the reply up after a second rather than hang.
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, 1000) <= 0) return false;
  }
  return true;
}

FdServer::End FdServer::serve(int stopFd) {
  std::array<std::uint8_t, 4096> chunk;
  for (;;) {
    std::array<pollfd, 2> fds = {pollfd{fd_, POLLIN, 0}, pollfd{stopFd, POLLIN, 0}};
    const int count = ::poll(fds.data(), stopFd >= 0 ? 2 : 1, -1);
    if (count < 0) {
      if (errno == EINTR) continue;
      return End::Failed;
    }
    if (stopFd >= 0 && fds[1].revents) return End::Stopped;
    if (!fds[0].revents) continue;
    const ssize_t n = ::read(fd_, chunk.data(), chunk.size());
    if (n == 0) return End::LineClosed;
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return End::LineClosed;
    }
    TimePoint arrived = emulator_.clock().now();
    decoder_.feed(ByteView(chunk.data(), static_cast<std::size_t>(n)));
    while (auto request = decoder_.next()) {
      reply_.clear();
      const bool answered = handler_.handle(*request, reply_);
      if (emulator_.disconnected()) return End::Disconnected;
      if (!answered) continue;
      emulator_.clock().sleepUntil(arrived + emulator_.faults.latency);
      if (!writeAll(reply_)) return End::LineClosed;
      // A second request read in the same piece waits its own latency.
      arrived = emulator_.clock().now();
    }
  }
}

}  // namespace kt90::sim
