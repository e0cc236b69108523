#include <gtest/gtest.h>

#include "core/app/CodeDump.h"
#include "core/app/SummaryText.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

// A 14-bit image of `words` words, all blank, with the given option mask.
ProgramImage blankImage(std::uint16_t words, std::uint16_t mask = 0) {
  ProgramImage image;
  image.head.setFlags(headflag::kReset);
  image.head.setVersion(0x10);
  image.head.setCodeWords(words);
  for (int i = 0; i < 16; ++i) image.setOptionWord(i, 0x3FFF);
  image.config.setOptionMask(mask);
  image.fillCode(0x3FFF);
  return image;
}

TEST(CodeDump, LinesOfEightWordsWithAddresses) {
  ProgramImage image = blankImage(10);
  image.setWord(0, 0x1234);
  image.setWord(9, 0x00AB);
  EXPECT_EQ(codeDumpText(image.code(), 10),
            "\t0000: 1234 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF \r\n\t0008: 3FFF 00AB ");
  EXPECT_EQ(codeDumpText(image.code(), 0), "");
  EXPECT_EQ(maskedCodeDumpText(image.code(), 2), "\t0000: **** **** ");
  // Never reads past the buffer it is given.
  EXPECT_EQ(codeDumpText(ByteView(image.code().data(), 4), 100), "\t0000: 1234 3FFF ");
}

TEST(ImageSummary, OptionLinesFollowTheMask) {
  // Without header lines no signature is computed, so the mask stays as it is.
  ProgramImage image = blankImage(16, 0x0201);
  EXPECT_EQ(imageSummaryText(image, 14, 1041).text, "OPTION[0x2000]: 0x3FFF\r\nOPTION[0x2009]: 0x3FFF\r\n");
}

TEST(ImageSummary, EnglishAndChineseHeaderLines) {
  ProgramImage image = blankImage(2048, 0x0201);
  image.setOptionWord(13, 0x3F0F);  // protection mode 0x00: the signature sets the mask's high byte to 0x20
  image.setWord(0x1FF, 0x0123);
  const SummaryText en = imageSummaryText(image, 14, kEnglish);
  const std::uint16_t crc = crc16(image.programBytes());
  const std::uint16_t sig = chipSignature(image);
  const std::uint16_t file = fileChecksum(image);
  char expected[512];
  std::snprintf(expected, sizeof expected,
                "Width: 14 Capacity: 2K\r\nCode size:0x0200\r\nCode CRC:0x%04X\r\nChip signature:0x%04X\r\n"
                "File CRC:0x%04X\r\nOPTION[0x2000]: 0x3FFF\r\nOPTION[0x200D]: 0x3F0F\r\n",
                crc, sig, file);
  EXPECT_EQ(en.text, expected);
  EXPECT_EQ(en.usedWords, 0x200);
  const SummaryText zh = imageSummaryText(image, 14, kChinese);
  EXPECT_EQ(zh.text.rfind("位宽: 14   容量: 2K\r\n代码大小:  0x0200\r\n", 0), 0u);
  // Other languages: no header lines, the rest stays.
  EXPECT_EQ(imageSummaryText(image, 14, 1041).text.rfind("OPTION[0x2000]", 0), 0u);
}

TEST(ImageSummary, CalibrationRollingCodeAndProgramLimit) {
  ProgramImage image = blankImage(1024);
  image.calibration = {3, 0x07, 0, 0x02};
  image.calibrationEntries[0].name = "IRC校准";
  image.calibrationEntries[1].name = "2.4M校准";
  image.calibrationEntries[2].name = "NA";
  image.head.setFlag(headflag::kRollingCode, true);
  image.rolCode.bytes[0] = 1;  // L = 2
  writeU16(&image.rolCode.bytes[1], 0x1111);
  writeU16(&image.rolCode.bytes[3], 0x2222);
  writeU16(&image.rolCode.bytes[5], 0x0100);
  writeU16(&image.rolCode.bytes[7], 0x0101);
  image.head.setProgramLimit(0x1234);
  const SummaryText en = imageSummaryText(image, 14, 1041);
  EXPECT_EQ(en.text,
            "IRC校准:   5V\r\n2.4M校准:   3V\r\n"
            "Rolling0_ADDR:\t0x0100\r\nRolling0_DATA:\t0x1111\r\nRolling1_ADDR:\t0x0101\r\nRolling1_DATA:\t0x2222\r\n"
            "Program limit:  0x001234\r\n");
  ASSERT_TRUE(en.codeRange.has_value());
  const SummaryText zh = imageSummaryText(image, 14, kChinese);
  EXPECT_NE(zh.text.find("滚码0地址:  0x0100\r\n滚码0数据:  0x1111\r\n"), std::string::npos);
  EXPECT_NE(zh.text.find("烧录限制：0x1234 \r\n"), std::string::npos);
}

TEST(ReadSummary, ChipValuesEveryEnabledEntryAndNoFileChecksum) {
  ProgramImage image = blankImage(16, 0x0001);
  image.calibration = {1, 0x01, 0, 0};  // entry named NA, enabled
  HeadArea head = headAreaOf(image);
  writeU16(&head[16], 0x1ABC);  // option word 0 as read from the chip
  Bytes code(32, 0xFF);
  code[0] = 0x00;
  const SummaryText summary = readSummaryText(image, head, code, 14, kEnglish);
  EXPECT_EQ(summary.text.find("File CRC"), std::string::npos);
  EXPECT_NE(summary.text.find("OPTION[0x2000]: 0x1ABC\r\n"), std::string::npos);
  EXPECT_NE(summary.text.find("NA:   5V\r\n"), std::string::npos);
  EXPECT_NE(summary.text.find(formatText("Code CRC:0x%04X\r\n", crc16(code))), std::string::npos);
  EXPECT_EQ(summary.usedWords, 16);  // 0xFFFF words are not blank on a 14-bit chip
}

}  // namespace
}  // namespace kt90
