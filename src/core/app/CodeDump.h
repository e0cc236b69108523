#pragma once
#include <cstddef>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// The code view's text: lines of a tab, the word address "%.4X: ", then up to eight words
// "%.4X " each; lines separated by CR LF, the last without one.
std::string codeDumpText(ByteView code, std::size_t codeWords);

// The same dump with every hexadecimal digit of the words masked, for Production mode
// where the code must not be readable.
std::string maskedCodeDumpText(ByteView code, std::size_t codeWords);

}  // namespace kt90
