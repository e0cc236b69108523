#include "core/progfile/Checksums.h"

#include <algorithm>

#include "core/progfile/Crc16.h"

namespace kt90 {
namespace {

// Steps 2 and 3 of the signature on a ConfigBlock's bytes.
void storeSignature(std::uint8_t* config, std::uint16_t signature) {
  config[0] = static_cast<std::uint8_t>(signature);
  config[2] = static_cast<std::uint8_t>(signature >> 8);
  const std::uint8_t mode = config[10] & 0x30;
  if (mode == 0x10 || mode == 0x30) {
    config[17] |= 0x03;
  } else {
    config[17] = 0x20;
  }
}

}  // namespace

HeadArea headAreaOf(const ProgramImage& image) {
  HeadArea area{};
  std::copy(image.head.bytes.begin(), image.head.bytes.end(), area.begin());
  std::copy(image.config.bytes.begin(), image.config.bytes.end(), area.begin() + FileHead::kSize);
  return area;
}

std::uint16_t chipSignature(ProgramImage& image) {
  const std::uint16_t signature =
      Crc16().feed(ByteView(&image.head.bytes[16], 16)).feed(image.programBytes()).value();
  storeSignature(image.config.bytes.data(), signature);
  return signature;
}

std::uint16_t readChipSignature(HeadArea& headCopy, const FileHead& imageHead, ByteView readCode,
                                std::uint16_t blank) {
  Crc16 crc;
  for (int i = 0; i < 8; ++i) {
    const std::uint16_t chipWord = readU16(&headCopy[16 + 2 * i]);
    crc.feedU16(imageHead.optionWord(i) != 0 ? chipWord : blank);
  }
  const std::uint16_t signature = crc.feed(readCode).value();
  storeSignature(headCopy.data() + FileHead::kSize, signature);
  return signature;
}

std::uint16_t fileChecksum(ProgramImage& image) {
  const std::uint16_t signature = chipSignature(image);
  Crc16 crc;
  crc.feed(image.head.bytes).feed(image.programBytes()).feedU16(signature);
  crc.feed(image.calibration.stored());
  const int entries = std::min<int>(image.calibration.count, CaliBrate::kMaxEntries);
  for (int k = 0; k < entries; ++k) crc.feed(image.calibrationEntries[k].stored());
  crc.feed(image.openShort.bytes);
  if (image.rollingCodeOn()) crc.feed(ByteView(image.rolCode.bytes.data(), image.rolCode.storedLength()));
  return crc.value();
}

std::uint32_t oldDataChecksum(ByteView code) {
  std::uint32_t sum = 0;
  for (std::uint8_t b : code) sum += b;
  return sum;
}

std::uint32_t oldFileChecksum(ByteView head32, std::uint32_t dataChecksum) {
  std::uint32_t sum = 0;
  for (std::uint8_t b : head32) sum += b;
  sum += dataChecksum;
  for (int i = 0; i < 4; ++i) sum += (dataChecksum >> (8 * i)) & 0xFF;
  return sum;
}

}  // namespace kt90
