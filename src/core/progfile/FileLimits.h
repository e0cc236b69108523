#pragma once
#include <cstddef>
#include <cstdint>

namespace kt90 {

// The largest CodeWords a program file may declare: the code buffer's 32768 words. The
// project file stores CodeWords as it is and HEX and BIN address bytes 0-0xFFFF, so all of
// them hold it.
inline constexpr std::size_t kMaxFileCodeWords = 0x8000;

// A PRO code block's length becomes CodeWords modulo 65536 bytes, so a block of 65536
// bytes would give CodeWords 0: PRO files stop one word short.
inline constexpr std::size_t kMaxProCodeWords = 0x7FFF;

// The largest file each reader can need; bigger ones are refused before they are read.
// A project file: scramble head, file head, 65,536 code bytes and every record (under 70 KiB).
inline constexpr std::uintmax_t kMaxProjectFileBytes = 128u << 10;
// A HEX file filling the whole code buffer one byte per record needs under 1 MiB.
inline constexpr std::uintmax_t kMaxHexFileBytes = 4u << 20;
// A BIN file is the code buffer.
inline constexpr std::uintmax_t kMaxBinFileBytes = 65536;
// A PRO container: code, option and name blocks, keys and the entry table.
inline constexpr std::uintmax_t kMaxProFileBytes = 1u << 20;
// KT_ID.TXT: 100 rows of 24 hexadecimal digits.
inline constexpr std::uintmax_t kMaxKtIdFileBytes = 16u << 10;

// A PRO file names its chip once and carries a code and an option block. Each chip-name
// entry reloads the chip and each data block decodes up to 64 KiB, so a file with more than
// these is refused before any entry is applied.
inline constexpr std::size_t kMaxProChipNames = 16;
inline constexpr std::size_t kMaxProDataBlocks = 64;

}  // namespace kt90
