#pragma once
// Program images built by hand for the format tests, independent of the chip loader.
#include <cstring>
#include <string>

#include "core/progfile/ProgramImage.h"

namespace kt90::testimages {

inline void setName(ProgramImage& image, const char* name) {
  std::array<std::uint8_t, FileHead::kNameSize> field{};
  std::memcpy(field.data(), name, std::min(std::strlen(name), field.size()));
  image.head.setChipName(field);
}

// A reset 14-bit image: flags 0xC3, blank code and options, no calibration.
inline ProgramImage blankImage(std::uint16_t codeWords, std::uint8_t version = 0x10, std::uint16_t blank = 0x3FFF) {
  ProgramImage image;
  image.head.setFlags(headflag::kReset);
  image.head.setVersion(version);
  image.head.setCodeWords(codeWords);
  setName(image, "K100");
  for (int i = 0; i < 16; ++i) image.setOptionWord(i, blank);
  image.config.setOptionMask(0x00FF);
  image.config.bytes[10] = 0x10;  // protection mode 0x10
  image.config.setChipIds(0xF0, 0x2100, 0x12, 0x2101);
  image.fillCode(blank);
  image.rolCode.reset();
  return image;
}

// The small image of the golden file: 4 words, one calibration entry, no rolling code.
inline ProgramImage goldenImage() {
  ProgramImage image = blankImage(4);
  image.head.setOptionWord(0, 0x3FF4);
  image.setWord(0, 0x2801);
  image.setWord(1, 0x0000);
  image.setWord(2, 0x3FFF);
  image.setWord(3, 0x1234);
  image.calibration = CaliBrate{1, 1, 0, 1};
  CalibrateInfo& entry = image.calibrationEntries[0];
  entry.rul = 0x1234;
  entry.min = 0x0100;
  entry.max = 0x0200;
  entry.lowerMin = 1;
  entry.lowerMax = 2;
  entry.upperMin = 3;
  entry.upperMax = 4;
  image.openShort.setPins(8);
  for (std::uint8_t k = 0; k < 8; ++k) image.openShort.bytes[2 + k] = static_cast<std::uint8_t>(k + 1);
  return image;
}

// A full image: `codeWords` words of a pattern, every calibration entry, rolling code on,
// and, when `limit` is not 0, the protection data with `uids` U_IDs.
inline ProgramImage fullImage(std::uint16_t codeWords, std::uint8_t version, std::uint32_t limit,
                              std::size_t uids = 3) {
  ProgramImage image = blankImage(codeWords, version);
  for (std::size_t n = 0; n < codeWords; ++n) image.setWord(n, static_cast<std::uint16_t>((n * 0x9E37u + 7) & 0x3FFF));
  for (int i = 0; i < 16; ++i) image.setOptionWord(i, static_cast<std::uint16_t>(0x3F00 + i));
  image.config.bytes[10] = 0x30;
  image.calibration = CaliBrate{8, 0xA5, 0x0F, 0x81};
  for (int k = 0; k < 8; ++k) {
    CalibrateInfo& entry = image.calibrationEntries[k];
    entry.rul = 0x01000000u * static_cast<unsigned>(k) + 0x00ABCDEFu;
    entry.min = static_cast<std::uint16_t>(0x100 * k);
    entry.max = static_cast<std::uint16_t>(0x100 * k + 0x80);
    entry.lowerMin = static_cast<std::uint8_t>(k);
    entry.upperMax = static_cast<std::uint8_t>(0xF0 + k);
  }
  image.openShort.setPins(16);
  image.openShort.bytes[9] = 0x5A;
  image.head.setFlag(headflag::kRollingCode, true);
  image.head.setFlag(headflag::kCheckCrc, true);
  image.rolCode.bytes[0] = 0x03;  // four serial bytes: 18 stored bytes
  for (std::size_t i = 1; i < image.rolCode.storedLength(); ++i) image.rolCode.bytes[i] = static_cast<std::uint8_t>(i * 11);
  image.head.setProgramLimit(limit);
  if (limit != 0) {
    image.protection.currentTime = 0x65A1B2C3;
    image.protection.filePassword = {0x12, 0x34, 0xAB, 0x00};
    image.protection.downloadLimit = 200;
    for (std::size_t k = 0; k < uids; ++k) {
      ProgrammerUid uid{};
      for (std::size_t i = 0; i < uid.size(); ++i) uid[i] = static_cast<std::uint8_t>(k * 16 + i);
      image.protection.uids.push_back(uid);
    }
  }
  return image;
}

}  // namespace kt90::testimages
