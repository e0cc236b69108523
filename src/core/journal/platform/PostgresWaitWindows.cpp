#include <winsock2.h>

#include "core/journal/postgres/PostgresConnection.h"

namespace kt90::postgres {

bool waitForSocket(int socket, bool forWriting, Clock::time_point deadline) {
  if (socket < 0) return false;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return false;
  WSAPOLLFD fd{static_cast<SOCKET>(socket), static_cast<SHORT>(forWriting ? POLLWRNORM : POLLRDNORM), 0};
  return WSAPoll(&fd, 1, static_cast<INT>(left)) > 0;
}

}  // namespace kt90::postgres
