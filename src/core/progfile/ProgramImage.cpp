#include "core/progfile/ProgramImage.h"

#include <algorithm>

namespace kt90 {

std::size_t ProgramImage::codeWords() const {
  return std::min<std::size_t>(head.codeWords(), kMaxCodeWords);
}

void ProgramImage::fillCode(std::uint16_t blank) {
  const std::size_t words = codeWords();
  for (std::size_t n = 0; n < words; ++n) setWord(n, blank);
}

bool ProgramImage::operator==(const ProgramImage& other) const {
  // Equal programs: the same records, the same entries in use and the same program code;
  // what lies past the entry count or past CodeWords is not part of the program.
  if (head.bytes != other.head.bytes || config.bytes != other.config.bytes) return false;
  if (!(calibration == other.calibration) || openShort.bytes != other.openShort.bytes) return false;
  if (rolCode.bytes != other.rolCode.bytes || !(protection == other.protection)) return false;
  const std::size_t entries = std::min<std::size_t>(calibration.count, calibrationEntries.size());
  for (std::size_t k = 0; k < entries; ++k) {
    const auto& a = calibrationEntries[k];
    const auto& b = other.calibrationEntries[k];
    if (a.stored() != b.stored() || a.offered != b.offered || a.name != b.name) return false;
  }
  const ByteView mine = programBytes();
  const ByteView theirs = other.programBytes();
  return std::equal(mine.begin(), mine.end(), theirs.begin(), theirs.end());
}

std::uint16_t usedWords(const ProgramImage& image, std::uint16_t blank) {
  for (std::size_t n = image.codeWords(); n > 0; --n) {
    if (image.word(n - 1) != blank) return static_cast<std::uint16_t>(n);
  }
  return 0;
}

CodeRangeResult updateCodeRange(ProgramImage& image, std::uint16_t used) {
  CodeRangeResult range;
  const auto codeWords = static_cast<std::uint16_t>(image.codeWords());
  switch (image.config.protectionMode()) {
    case 0x00:
      range.first = 0x0200;
      range.end = 0x0200;
      break;
    case 0x20:
      range.first = 0;
      range.end = 0x0200;
      break;
    default: {  // 0x10 and 0x30
      range.first = 0;
      if (image.rollingCodeOn()) {
        range.end = codeWords;
      } else {
        const std::uint32_t rounded = (static_cast<std::uint32_t>(used) + 0x1FF) & ~0x1FFu;
        range.end = rounded == 0 ? codeWords : static_cast<std::uint16_t>(std::min<std::uint32_t>(rounded, 0xFFFF));
      }
      break;
    }
  }
  image.config.setCodeRange(range.first, range.end);
  range.overflow = used > range.end;
  return range;
}

bool checkWordWidth(ProgramImage& image, std::uint16_t blank) {
  if (blank != 0x3FFF) return true;
  const std::size_t words = image.codeWords();
  for (std::size_t n = 0; n < words; ++n) {
    if (image.word(n) > 0x3FFF) {
      image.fillCode(blank);
      return false;
    }
  }
  return true;
}

}  // namespace kt90
