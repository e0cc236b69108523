#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The GB18030 code page as data (Gb18030Table.cpp, generated once from glibc's iconv), so
// every platform converts alike; Windows and wine do not all carry it.
namespace kt90::gb18030 {

// Two-byte characters: lead 0x81-0xFE, trail 0x40-0xFE (0x7F is never a trail).
inline constexpr unsigned kLeadFirst = 0x81;
inline constexpr unsigned kLeadCount = 126;
inline constexpr unsigned kTrailFirst = 0x40;
inline constexpr unsigned kTrailCount = 191;
inline constexpr unsigned kTwoByteCount = kLeadCount * kTrailCount;

// Four-byte characters b1 b2 b3 b4 (b1, b3: 0x81-0xFE; b2, b4: 0x30-0x39) are numbered
// linearly. Below kFourByteBmpEnd (84 31 A4 39) they are BMP characters in runs; from
// kSupplementaryFirst (90 30 81 30) on they count the code points from U+10000.
inline constexpr std::uint32_t kFourByteBmpEnd = 39420;
inline constexpr std::uint32_t kSupplementaryFirst = 189000;

constexpr std::uint32_t fourByteLinear(unsigned b1, unsigned b2, unsigned b3, unsigned b4) {
  return (((b1 - 0x81) * 10 + (b2 - 0x30)) * 126 + (b3 - 0x81)) * 10 + (b4 - 0x30);
}

inline std::string fourByteSequence(std::uint32_t linear) {
  return {static_cast<char>(0x81 + linear / 12600), static_cast<char>(0x30 + linear / 1260 % 10),
          static_cast<char>(0x81 + linear / 10 % 126), static_cast<char>(0x30 + linear % 10)};
}

struct FourByteRun {
  std::uint32_t linear;
  std::uint32_t codePoint;  // of `linear`; the run counts up from it. 0: no characters.
};

// Bytes 0x00-0x7F are ASCII; 0x80 and 0xFF are no character. The code points of the
// two-byte characters by (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst), 0 where
// none, and the runs of the four-byte BMP area in order of `linear`.
extern const std::uint32_t kTwoByte[kTwoByteCount];
extern const FourByteRun kFourByteRuns[];
extern const std::size_t kFourByteRunCount;

}  // namespace kt90::gb18030
