#include "core/base/Gb18030.h"

#include <algorithm>
#include <vector>

#include "core/base/Gb18030Table.h"
#include "core/base/Utf8.h"

namespace kt90 {
namespace {

using namespace gb18030;

bool inRange(unsigned byte, unsigned first, unsigned last) { return byte >= first && byte <= last; }

std::uint32_t fourByteCodePoint(std::uint32_t linear) {
  if (linear < kFourByteBmpEnd) {
    const FourByteRun* end = kFourByteRuns + kFourByteRunCount;
    const FourByteRun* run = std::upper_bound(kFourByteRuns, end, linear,
                                              [](std::uint32_t l, const FourByteRun& r) { return l < r.linear; });
    --run;  // the first run starts at 0
    return run->codePoint == 0 ? 0 : run->codePoint + (linear - run->linear);
  }
  if (linear >= kSupplementaryFirst && linear - kSupplementaryFirst <= 0x10FFFF - 0x10000)
    return 0x10000 + (linear - kSupplementaryFirst);
  return 0;
}

// The character at gb[i]: its code point (0: none) and length in bytes.
std::pair<std::uint32_t, std::size_t> decodeAt(std::string_view gb, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(gb[i + k]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  if (!inRange(lead, 0x81, 0xFE) || i + 1 >= gb.size()) return {0, 1};
  const unsigned second = byte(1);
  if (inRange(second, 0x30, 0x39)) {
    if (i + 3 >= gb.size() || !inRange(byte(2), 0x81, 0xFE) || !inRange(byte(3), 0x30, 0x39)) return {0, 1};
    const std::uint32_t cp = fourByteCodePoint(fourByteLinear(lead, second, byte(2), byte(3)));
    return {cp, cp == 0 ? 1 : 4};
  }
  if (!inRange(second, kTrailFirst, 0xFE)) return {0, 1};
  const std::uint32_t cp = kTwoByte[(lead - kLeadFirst) * kTrailCount + (second - kTrailFirst)];
  return {cp, cp == 0 ? 1 : 2};
}

// Code point -> its bytes for the BMP, packed big-endian in the low bytes (0: none).
const std::vector<std::uint32_t>& bmpEncodings() {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> t(0x10000, 0);
    for (std::uint32_t linear = 0; linear < kFourByteBmpEnd; ++linear) {
      const std::uint32_t cp = fourByteCodePoint(linear);
      if (cp != 0 && cp < 0x10000 && t[cp] == 0) {
        const std::string bytes = fourByteSequence(linear);
        t[cp] = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0])) << 24 |
                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[1])) << 16 |
                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2])) << 8 |
                static_cast<unsigned char>(bytes[3]);
      }
    }
    // Two bytes win over four where a character has both.
    for (std::uint32_t i = 0; i < kTwoByteCount; ++i) {
      const std::uint32_t cp = kTwoByte[i];
      if (cp != 0 && cp < 0x10000) t[cp] = (kLeadFirst + i / kTrailCount) << 8 | (kTrailFirst + i % kTrailCount);
    }
    return t;
  }();
  return table;
}

// Supplementary code points with a two-byte form (the few the table maps there).
std::uint32_t twoByteOfSupplementary(std::uint32_t cp) {
  static const std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs = [] {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> p;
    for (std::uint32_t i = 0; i < kTwoByteCount; ++i) {
      if (kTwoByte[i] >= 0x10000)
        p.emplace_back(kTwoByte[i], (kLeadFirst + i / kTrailCount) << 8 | (kTrailFirst + i % kTrailCount));
    }
    std::sort(p.begin(), p.end());
    return p;
  }();
  const auto it = std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(cp, std::uint32_t{0}));
  return it != pairs.end() && it->first == cp ? it->second : 0;
}

void appendPacked(std::string& out, std::uint32_t packed) {
  const int first = packed > 0xFFFF ? 24 : 8;
  for (int shift = first; shift >= 0; shift -= 8) out.push_back(static_cast<char>(packed >> shift & 0xFF));
}

}  // namespace

std::string gb18030ToUtf8(std::string_view gb) {
  std::string out;
  out.reserve(gb.size() * 3 / 2);
  for (std::size_t i = 0; i < gb.size();) {
    const auto [cp, length] = decodeAt(gb, i);
    appendUtf8(out, cp == 0 && gb[i] != '\0' ? 0xFFFD : cp);
    i += length;
  }
  return out;
}

std::string utf8ToGb18030(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t cp = 0;
    const std::size_t length = utf8SequenceAt(utf8, i, &cp);
    if (length == 0) {
      out.push_back('?');
      ++i;
      continue;
    }
    i += length;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x10000) {
      const std::uint32_t packed = bmpEncodings()[cp];
      if (packed == 0) {
        out.append(length, '?');  // one per byte, as iconv skips them
      } else {
        appendPacked(out, packed);
      }
    } else if (const std::uint32_t twoByte = twoByteOfSupplementary(cp); twoByte != 0) {
      appendPacked(out, twoByte);
    } else {
      out += fourByteSequence(kSupplementaryFirst + (cp - 0x10000));
    }
  }
  return out;
}

bool isValidGb18030(std::string_view gb) {
  for (std::size_t i = 0; i < gb.size();) {
    const auto [cp, length] = decodeAt(gb, i);
    if (cp == 0 && gb[i] != '\0') return false;
    i += length;
  }
  return true;
}

}  // namespace kt90
