#include <io.h>
#include <windows.h>

#include "cli/Terminal.h"

namespace kt90 {

// A console handle has a console mode; files and pipes have none.
bool isTerminal(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace kt90
