#include <unistd.h>

#include <cerrno>

#include "link/PortAccess.h"

namespace kt90::link {

std::optional<std::string> portDeniedToUser(const std::string& portName) {
  const std::string path = portName.rfind('/', 0) == 0 ? portName : "/dev/" + portName;
  if (::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return std::nullopt;
  return path;
}

}  // namespace kt90::link
