#include <unistd.h>

#include "cli/Terminal.h"

namespace kt90 {

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

}  // namespace kt90
