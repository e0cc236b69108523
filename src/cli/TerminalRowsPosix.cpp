#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/GangConsole.h"

namespace kt90 {

int terminalRows(std::FILE* stream) {
  winsize size{};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_row;
}

}  // namespace kt90
