#include <windows.h>

#include "cli/GangConsole.h"

namespace kt90 {

int terminalRows(std::FILE*) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Bottom - info.srWindow.Top + 1;
}

}  // namespace kt90
