#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "core/progfile/Calibration.h"
#include "core/progfile/FileHead.h"
#include "core/progfile/Records.h"

namespace kt90 {

// Value of an erased code word for a word width of 14 or 16 bits.
inline std::uint16_t blankWordFor(int bitWidth) {
  const int shift = 16 - bitWidth;
  if (shift <= 0) return 0xFFFF;
  if (shift >= 16) return 0;
  return static_cast<std::uint16_t>(0xFFFFu >> shift);
}

// The one program of the working state: code, head, extension block, calibration,
// open/short and rolling-code records, and the protection data.
class ProgramImage {
 public:
  static constexpr std::size_t kCodeBytes = 65536;
  static constexpr std::size_t kMaxCodeWords = kCodeBytes / 2;

  ProgramImage() : code_(kCodeBytes, 0) {}

  FileHead head;
  ConfigBlock config;
  CaliBrate calibration;
  std::array<CalibrateInfo, CaliBrate::kMaxEntries> calibrationEntries;
  OpenShort openShort;
  RolCode rolCode;
  Protection protection;

  // Code words are little-endian in the buffer, word n at bytes 2n and 2n+1.
  std::uint16_t word(std::size_t n) const { return readU16(&code_[2 * n]); }
  void setWord(std::size_t n, std::uint16_t v) { writeU16(&code_[2 * n], v); }
  std::vector<std::uint8_t>& code() { return code_; }
  const std::vector<std::uint8_t>& code() const { return code_; }

  // CodeWords from the head, bounded by the buffer.
  std::size_t codeWords() const;
  // The first codeWords()*2 bytes of the code buffer.
  ByteView programBytes() const { return ByteView(code_.data(), codeWords() * 2); }

  std::uint16_t optionWord(int index) const {
    return index < 8 ? head.optionWord(index) : config.optionWord(index);
  }
  void setOptionWord(int index, std::uint16_t v) {
    if (index < 8) head.setOptionWord(index, v); else config.setOptionWord(index, v);
  }

  // Fills words 0..codeWords()-1 with `blank`.
  void fillCode(std::uint16_t blank);

  bool rollingCodeOn() const { return head.flag(headflag::kRollingCode); }

  // Compares the program: records, calibration entries in use and the CodeWords words.
  bool operator==(const ProgramImage& other) const;

 private:
  std::vector<std::uint8_t> code_;
};

// 1 + index of the last of the first `codeWords` words that differs from `blank`; 0 when
// all are blank.
std::uint16_t usedWords(const ProgramImage& image, std::uint16_t blank);

// The range of code the protection mode covers, and whether the used code overflows it.
struct CodeRangeResult {
  std::uint16_t first = 0;
  std::uint16_t end = 0;
  bool overflow = false;
};
// Computes CodeRange from the mode in option word 13, stores it in the ConfigBlock and
// reports an overflow of `used` beyond its end (the caller shows the warning).
CodeRangeResult updateCodeRange(ProgramImage& image, std::uint16_t used);

// The word-width check after a HEX or BIN load: on a 14-bit chip (blank 0x3FFF) a word
// above 0x3FFF blanks the code and fails.
bool checkWordWidth(ProgramImage& image, std::uint16_t blank);

}  // namespace kt90
