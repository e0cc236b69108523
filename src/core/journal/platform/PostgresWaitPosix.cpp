#include <poll.h>

#include <cerrno>

#include "core/journal/postgres/PostgresConnection.h"

namespace kt90::postgres {

bool waitForSocket(int socket, bool forWriting, Clock::time_point deadline) {
  if (socket < 0) return false;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fd{socket, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(left));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

}  // namespace kt90::postgres
