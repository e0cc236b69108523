#pragma once
#include <cstdio>

namespace kt90 {

// Whether `stream` is a terminal (a console window on Windows), where progress bars and
// the gang's live table belong. One file per platform.
bool isTerminal(std::FILE* stream);

}  // namespace kt90
