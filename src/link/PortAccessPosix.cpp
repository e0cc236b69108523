#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "link/PortAccess.h"

namespace kt90::link {

std::optional<std::string> portDeniedToUser(const std::string& portName) {
  if (portName.empty()) return std::nullopt;
  const std::string path = portName.front() == '/' ? portName : "/dev/" + portName;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return std::nullopt;
  if (::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return std::nullopt;
  return path;
}

}  // namespace kt90::link
