#include <gtest/gtest.h>

#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"
#include "core/progfile/ProgramImage.h"

namespace kt90 {
namespace {

ProgramImage blankImage(std::uint16_t words, std::uint16_t blank = 0x3FFF) {
  ProgramImage image;
  image.head.setFlags(headflag::kReset);
  image.head.setCodeWords(words);
  for (int i = 0; i < 16; ++i) image.setOptionWord(i, blank);
  image.fillCode(blank);
  return image;
}

TEST(ProgramImage, LayoutIsLittleEndianAtTheDocumentedOffsets) {
  ProgramImage image;
  image.head.setCodeWords(0x1234);
  image.head.setProgramLimit(0xA1B2C3D4);
  image.setOptionWord(0, 0x0102);
  image.setOptionWord(7, 0x0F0E);
  image.setOptionWord(8, 0x1110);
  image.setOptionWord(15, 0x1F1E);
  image.config.setOptionMask(0xBEEF);
  image.config.setCodeRange(0x0200, 0x0400);
  image.config.setChipIds(0xF8, 0x200B, 0xF0, 0x200C);
  EXPECT_EQ(image.head.bytes[2], 0x34);
  EXPECT_EQ(image.head.bytes[3], 0x12);
  EXPECT_EQ(image.head.bytes[4], 0xD4);
  EXPECT_EQ(image.head.bytes[7], 0xA1);
  EXPECT_EQ(image.head.bytes[16], 0x02);
  EXPECT_EQ(image.head.bytes[31], 0x0F);
  EXPECT_EQ(image.config.bytes[0], 0x10);
  EXPECT_EQ(image.config.bytes[15], 0x1F);
  EXPECT_EQ(image.config.bytes[16], 0xEF);
  EXPECT_EQ(image.config.bytes[19], 0x02);
  EXPECT_EQ(image.config.bytes[21], 0x04);
  EXPECT_EQ(image.config.bytes[26], 0xF0);
  EXPECT_EQ(image.config.bytes[27], 0x0C);
  EXPECT_EQ(image.config.bytes[29], 0xF8);
  EXPECT_EQ(image.config.bytes[31], 0x20);
  CalibrateInfo entry;
  entry.rul = 0x04030201;
  entry.min = 0x0605;
  entry.max = 0x0807;
  entry.lowerMin = 9;
  entry.upperMax = 12;
  const auto stored = entry.stored();
  EXPECT_EQ(stored, (std::array<std::uint8_t, 12>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 12}));
  CalibrateInfo back;
  back.setStored(stored.data());
  EXPECT_EQ(back.stored(), stored);
  EXPECT_EQ(blankWordFor(14), 0x3FFF);
  EXPECT_EQ(blankWordFor(16), 0xFFFF);
}

TEST(ProgramImage, UsedWords) {
  ProgramImage image = blankImage(1024);
  EXPECT_EQ(usedWords(image, 0x3FFF), 0);
  image.setWord(1023, 0);
  EXPECT_EQ(usedWords(image, 0x3FFF), 1024);
  image.setWord(1023, 0x3FFF);
  image.setWord(0x1FF, 0x0001);
  EXPECT_EQ(usedWords(image, 0x3FFF), 0x200);
  // A head claiming more words than the buffer holds is bounded by the buffer.
  image.head.setCodeWords(0xFFFF);
  EXPECT_EQ(image.codeWords(), ProgramImage::kMaxCodeWords);
}

TEST(ProgramImage, CodeRangeByProtectionMode) {
  ProgramImage image = blankImage(4096);
  image.setOptionWord(13, 0x0010);
  EXPECT_EQ(updateCodeRange(image, 0x201).end, 0x400);
  EXPECT_EQ(updateCodeRange(image, 0x400).end, 0x400);
  EXPECT_EQ(updateCodeRange(image, 0).end, 4096);
  EXPECT_EQ(image.config.codeRangeFirst(), 0);
  EXPECT_EQ(image.config.codeRangeEnd(), 4096);
  image.head.setFlag(headflag::kRollingCode, true);
  const auto rolling = updateCodeRange(image, 4096);
  EXPECT_EQ(rolling.end, 4096);
  EXPECT_FALSE(rolling.overflow);
  image.setOptionWord(13, 0x0000);
  const auto mode0 = updateCodeRange(image, 0x201);
  EXPECT_EQ(mode0.first, 0x200);
  EXPECT_EQ(mode0.end, 0x200);
  EXPECT_TRUE(mode0.overflow);
  image.setOptionWord(13, 0x0020);
  EXPECT_EQ(updateCodeRange(image, 0x10).first, 0);
  EXPECT_EQ(image.config.codeRangeEnd(), 0x200);
}

TEST(ProgramImage, WordWidthCheckBlanksSixteenBitCodeOnFourteenBitChips) {
  ProgramImage image = blankImage(64);
  image.setWord(3, 0x3FFF);
  EXPECT_TRUE(checkWordWidth(image, 0x3FFF));
  image.setWord(5, 0x4000);
  image.setWord(6, 0x0123);
  EXPECT_FALSE(checkWordWidth(image, 0x3FFF));
  EXPECT_EQ(usedWords(image, 0x3FFF), 0);
  image.setWord(5, 0xFFFF);
  EXPECT_TRUE(checkWordWidth(image, 0xFFFF));  // 16-bit chips take any word
}

TEST(ChipSignature, StableAndStoredInOptionWordsEightAndNine) {
  ProgramImage image = blankImage(512);
  Bytes expectedInput;
  for (int i = 0; i < 8 + 512; ++i) {
    expectedInput.push_back(0xFF);
    expectedInput.push_back(0x3F);
  }
  const std::uint16_t first = chipSignature(image);
  EXPECT_EQ(first, crc16(expectedInput));
  const auto configAfterFirst = image.config.bytes;
  EXPECT_EQ(chipSignature(image), first);
  EXPECT_EQ(image.config.bytes, configAfterFirst);
  EXPECT_EQ(image.config.bytes[0], first & 0xFF);
  EXPECT_EQ(image.config.bytes[2], first >> 8);
  EXPECT_EQ(image.config.bytes[1], 0x3F);  // high bytes untouched
  EXPECT_EQ(image.config.bytes[3], 0x3F);
  // A code size of 0 signs the option bytes only.
  image.head.setCodeWords(0);
  EXPECT_EQ(chipSignature(image), crc16(ByteView(expectedInput.data(), 16)));
}

TEST(ChipSignature, OptionMaskHighByteFollowsTheProtectionMode) {
  ProgramImage image = blankImage(16);
  image.config.setOptionMask(0x5C07);
  image.setOptionWord(13, 0x0000);
  chipSignature(image);
  EXPECT_EQ(image.config.optionMask(), 0x2007);
  image.config.setOptionMask(0x5C07);
  image.setOptionWord(13, 0x0010);
  chipSignature(image);
  EXPECT_EQ(image.config.optionMask(), 0x5F07);
}

TEST(FileChecksum, CoversHeadCodeCalibrationAndRollingCodeButNotProtection) {
  ProgramImage image = blankImage(256);
  image.calibration.count = 2;
  image.calibrationEntries[1].rul = 77;
  const std::uint16_t base = fileChecksum(image);
  image.protection.uids.push_back({});
  image.protection.filePassword = {1, 2, 3, 4};
  image.protection.currentTime = 99;
  image.protection.downloadLimit = 5;
  EXPECT_EQ(fileChecksum(image), base);
  image.head.setProgramLimit(10);
  EXPECT_NE(fileChecksum(image), base);
  image.head.setProgramLimit(0);
  image.head.setFlag(headflag::kCheckCrc, true);
  EXPECT_NE(fileChecksum(image), base);
  image.head.setFlag(headflag::kCheckCrc, false);
  image.calibrationEntries[1].rul = 78;
  EXPECT_NE(fileChecksum(image), base);
  image.calibrationEntries[1].rul = 77;
  image.calibrationEntries[2].rul = 1;  // beyond the entry count
  EXPECT_EQ(fileChecksum(image), base);
  image.rolCode.bytes[33] = 9;  // rolling code off: not covered
  EXPECT_EQ(fileChecksum(image), base);
  image.head.setFlag(headflag::kRollingCode, true);
  const std::uint16_t withRolling = fileChecksum(image);
  image.rolCode.bytes[0] = 7;  // stored length grows to 34 bytes, byte 33 now counts
  EXPECT_NE(fileChecksum(image), withRolling);
}

TEST(ReadChipSignature, ZeroImageWordsCountAsBlankAndSideEffectsHitTheCopy) {
  ProgramImage image = blankImage(8);
  image.setOptionWord(1, 0);
  HeadArea copy = headAreaOf(image);
  writeU16(&copy[16], 0x1111);
  writeU16(&copy[18], 0x2222);  // ignored: the image's word 1 is 0
  Bytes code(16, 0xAA);
  Crc16 expected;
  expected.feedU16(0x1111).feedU16(0x3FFF);
  for (int i = 2; i < 8; ++i) expected.feedU16(0x3FFF);
  expected.feed(code);
  const auto imageConfig = image.config.bytes;
  EXPECT_EQ(readChipSignature(copy, image.head, code, 0x3FFF), expected.value());
  EXPECT_EQ(copy[32], expected.value() & 0xFF);
  EXPECT_EQ(image.config.bytes, imageConfig);
}

TEST(OldChecksums, ByteSumsWrapAt32Bits) {
  const Bytes code = {0xFF, 0xFF, 0x01};
  EXPECT_EQ(oldDataChecksum(code), 0x1FFu);
  Bytes head(32, 1);
  EXPECT_EQ(oldFileChecksum(head, 0x01FF), 32u + 0x1FFu + 0x01u + 0xFFu);
  EXPECT_EQ(oldFileChecksum(head, 0xFFFFFFFF), 32u - 1u + 4u * 0xFFu);
}

}  // namespace
}  // namespace kt90
