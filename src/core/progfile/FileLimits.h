#pragma once
#include <cstddef>

namespace kt90 {

// The largest CodeWords a program file may declare: the code buffer's 32768 words. The
// project file stores CodeWords as it is and HEX and BIN address bytes 0-0xFFFF, so all of
// them hold it.
inline constexpr std::size_t kMaxFileCodeWords = 0x8000;

// A PRO code block's length becomes CodeWords modulo 65536 bytes, so a block of 65536
// bytes would give CodeWords 0: PRO files stop one word short.
inline constexpr std::size_t kMaxProCodeWords = 0x7FFF;

}  // namespace kt90
