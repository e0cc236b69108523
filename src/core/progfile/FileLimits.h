#pragma once
#include <cstddef>

namespace kt90 {

// The largest CodeWords a program file may declare. The buffer holds 32768 words, but a
// 65536-byte code block no longer fits the 16-bit lengths the formats and the programmer
// use (a PRO code block of 65536 bytes would even give CodeWords 0), so one word less is
// the limit for every reader and writer.
inline constexpr std::size_t kMaxFileCodeWords = 0x7FFF;

}  // namespace kt90
