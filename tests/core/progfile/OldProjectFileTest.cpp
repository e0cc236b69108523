#include <gtest/gtest.h>

#include "TestFiles.h"
#include "TestImages.h"
#include "core/progfile/ProjectFile.h"

namespace kt90 {
namespace {

using testfiles::oldFile;

TEST(OldProjectFile, K027IsRenamedAndConverted) {
  const Bytes file = oldFile("K027", 2, true);
  ProgramImage image = testimages::blankImage(1024);
  RecordingReporter reporter;
  const ProjectReadResult result = readProject(file, image, kChinese, reporter);
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(result.oldLayoutConverted);
  ASSERT_EQ(reporter.alerts.size(), 1u);
  EXPECT_EQ(reporter.alerts[0], "这是一个旧版本的文件，保存为新版本的文件。\r\n");
  EXPECT_TRUE(reporter.logLines.empty());

  const FileHead& head = image.head;
  EXPECT_EQ(head.flags(), 0xE3);  // bit 7 set on conversion
  EXPECT_EQ(head.version(), 0x10);
  EXPECT_EQ(head.codeWords(), 1024);
  EXPECT_EQ(head.programLimit(), 0u);
  const std::array<std::uint8_t, 8> name = {'0', '2', '7', 0, 0, 0, 0, 0};
  EXPECT_EQ(head.chipName(), name);
  EXPECT_EQ(head.optionWord(0), 0x3FF4);  // bit 13 added
  EXPECT_EQ(head.optionWord(1), 0x3FFE);
  EXPECT_EQ(head.optionWord(2), 0x0001);
  EXPECT_EQ(head.optionWord(3), 0x2AAA);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(head.optionWord(i), 0x3FFF);
  EXPECT_EQ(image.code()[2047], static_cast<std::uint8_t>(2047 * 7 + 1));
  EXPECT_EQ(image.rolCode.bytes[33], 0x40 + 33);
}

TEST(OldProjectFile, OtherNamesAndFailures) {
  ProgramImage image = testimages::blankImage(512);
  RecordingReporter reporter;
  ASSERT_TRUE(readProject(oldFile("AB12C", 1, false), image, kEnglish, reporter).ok);
  const std::array<std::uint8_t, 8> name = {'A', 'B', '1', '2', 'C', 0, 0, 0};
  EXPECT_EQ(image.head.chipName(), name);
  EXPECT_EQ(image.head.optionWord(0), 0x1FF4);  // no K027: option word kept

  Bytes damaged = oldFile("AB12", 1, false);
  damaged[100] ^= 1;
  reporter = {};
  EXPECT_FALSE(readProject(damaged, image, kEnglish, reporter).ok);
  EXPECT_EQ(reporter.logLines, std::vector<std::string>{"匹配数据区校验码失败！\r\n"});

  Bytes headDamaged = oldFile("AB12", 1, false);
  headDamaged[20] ^= 1;  // covered by the whole-file sum only
  reporter = {};
  EXPECT_FALSE(readProject(headDamaged, image, kEnglish, reporter).ok);
  EXPECT_EQ(reporter.logLines, std::vector<std::string>{"匹配数据区校验码失败！\r\n"});

  const Bytes rolling = oldFile("AB12", 1, true);
  const std::vector<std::pair<std::size_t, std::string>> cuts = {
      {32 + 1023, "Read CODE Failed \r\n"},
      {32 + 1024 + 3, "读取数据区校验码失败！\r\n"},
      {32 + 1024 + 7, "读取整个文件校验码失败！\r\n"},
      {rolling.size() - 1, "获取滚码内容失败！\r\n"},
  };
  for (const auto& [length, message] : cuts) {
    reporter = {};
    EXPECT_FALSE(readProject(ByteView(rolling).first(length), image, kEnglish, reporter).ok);
    EXPECT_EQ(reporter.logLines, std::vector<std::string>{message});
  }

  // 64 KB make CodeWords 32768, the whole buffer; 65 KB are refused before any code is copied.
  reporter = {};
  ASSERT_TRUE(readProject(oldFile("AB12", 64, false), image, kEnglish, reporter).ok);
  EXPECT_EQ(image.head.codeWords(), 0x8000);
  Bytes huge = oldFile("AB12", 1, false);
  huge[2] = 65;
  huge.resize(32 + 65 * 1024 + 8);
  image.code()[0] = 0xAA;
  reporter = {};
  EXPECT_FALSE(readProject(huge, image, kEnglish, reporter).ok);
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_EQ(reporter.logLines[0], "Code size 0x8200 words exceeds the largest program of 0x8000 words\r\n");
  EXPECT_EQ(image.code()[0], 0xAA);
}

}  // namespace
}  // namespace kt90
