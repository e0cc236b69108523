#include "sim/FdServer.h"

#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "sim/StateStore.h"

namespace kt90::sim {

void tightenTimerSlack() { ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); }

bool FdServer::writeReply(const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    // Nobody reads the line: after the host's reply timeout the reply is of no use to
    // anyone. It is dropped with what is queued before it, so the line takes new ones.
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(wire::kDefaultReplyTimeout.count())) <= 0) {
      ::tcflush(fd_, TCOFLUSH);
      ++droppedReplies_;
      return true;
    }
  }
  return true;
}

bool FdServer::serveConsole() {
  char chunk[512];
  const ssize_t n = ::read(consoleIn_, chunk, sizeof chunk);
  if (n <= 0) {
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) consoleIn_ = -1;
    return true;
  }
  std::string printed;
  for (const std::string& line : startKey_.feed(std::string(chunk, static_cast<std::size_t>(n)))) printed += line + "\n";
  if (store_ && !printed.empty()) {
    if (std::string error = store_->commit(emulator_); !error.empty()) {
      problem_ = std::move(error);
      return false;
    }
  }
  for (std::size_t done = 0; done < printed.size();) {
    const ssize_t written = ::write(consoleOut_, printed.data() + done, printed.size() - done);
    if (written <= 0 && errno != EINTR) break;
    if (written > 0) done += static_cast<std::size_t>(written);
  }
  return true;
}

FdServer::End FdServer::serve(int stopFd) {
  std::array<std::uint8_t, 4096> chunk;
  for (;;) {
    std::array<pollfd, 3> fds = {pollfd{fd_, POLLIN, 0}, pollfd{stopFd, POLLIN, 0}, pollfd{consoleIn_, POLLIN, 0}};
    // While a partial frame waits, the line is watched for the idle gap that ends it.
    const int wait = decoder_.buffered() > 0 ? static_cast<int>(wire::kIdleGap.count()) : -1;
    const int count = ::poll(fds.data(), fds.size(), wait);
    if (count < 0) {
      if (errno == EINTR) continue;
      problem_ = std::string("poll: ") + std::strerror(errno);
      return End::LineFailed;
    }
    if (count == 0) {
      decoder_.idleGapPassed();
      continue;
    }
    if (stopFd >= 0 && fds[1].revents) return End::Stopped;
    if (consoleIn_ >= 0 && fds[2].revents && !serveConsole()) return End::StateNotSaved;
    if (!fds[0].revents) continue;
    const ssize_t n = ::read(fd_, chunk.data(), chunk.size());
    if (n == 0) {
      problem_ = "the line was closed";
      return End::LineFailed;
    }
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      problem_ = std::string("reading the line: ") + std::strerror(errno);
      return End::LineFailed;
    }
    TimePoint arrived = emulator_.clock().now();
    decoder_.feed(ByteView(chunk.data(), static_cast<std::size_t>(n)));
    while (auto request = decoder_.next()) {
      reply_.clear();
      const bool answered = handler_.handle(*request, reply_);
      // A programmer keeps what it was told before it says so.
      if (store_) {
        if (std::string error = store_->commit(emulator_); !error.empty()) {
          problem_ = std::move(error);
          return End::StateNotSaved;
        }
      }
      if (emulator_.disconnected()) return End::Disconnected;
      if (!answered) continue;
      emulator_.clock().sleepUntil(arrived + emulator_.faults.latency);
      if (!writeReply(reply_)) {
        problem_ = std::string("writing the line: ") + std::strerror(errno);
        return End::LineFailed;
      }
      // A second request read in the same piece waits its own latency.
      arrived = emulator_.clock().now();
    }
  }
}

}  // namespace kt90::sim
