#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "TestImages.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/ProjectFile.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

using testimages::blankImage;
using testimages::fullImage;
using testimages::goldenImage;

// The image Open would have before the read: reset for the same chip, whose definition
// supplies the ConfigBlock of files that do not store one.
ProgramImage resetLike(const ProgramImage& written) {
  ProgramImage image = blankImage(written.head.codeWords(), written.head.version());
  image.config = written.config;
  return image;
}

struct ReadBack {
  ProjectReadResult result;
  ProgramImage image;
  RecordingReporter reporter;
};

ReadBack readFile(const Bytes& file, const ProgramImage& written) {
  ReadBack back{{}, resetLike(written), {}};
  const auto payload = unscrambleProject(file, kEnglish, back.reporter);
  if (payload) back.result = readProject(*payload, back.image, kEnglish, back.reporter);
  return back;
}

std::uint32_t counter() {
  static std::uint32_t n = 0;
  return n++ * 0x9E3779B9u;
}

TEST(ProjectFile, GoldenPlainFile) {
  const Bytes golden = {
      0xC3, 0x10, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4B, 0x31, 0x30, 0x30, 0x00, 0x00, 0x00, 0x00, 0xF4, 0x3F,
      0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0x01, 0x28, 0x00, 0x00,
      0xFF, 0x3F, 0x34, 0x12, 0x31, 0x6F, 0x01, 0x01, 0x00, 0x01, 0x34, 0x12, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02,
      0x01, 0x02, 0x03, 0x04, 0x08, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x43, 0x3D,
  };
  ProgramImage image = goldenImage();
  EXPECT_EQ(writeProjectPlain(image), golden);
  // The signature went into the low bytes of option words 8 and 9 while writing.
  EXPECT_EQ(image.config.bytes[0], 0x31);
  EXPECT_EQ(image.config.bytes[2], 0x6F);

  ProgramImage read = blankImage(4);
  RecordingReporter reporter;
  const ProjectReadResult result = readProject(golden, read, kEnglish, reporter);
  EXPECT_TRUE(result.ok);
  EXPECT_FALSE(result.oldLayoutConverted);
  EXPECT_FALSE(result.passwordFound);
  EXPECT_TRUE(reporter.logLines.empty());
  EXPECT_EQ(read.word(3), 0x1234);
  EXPECT_EQ(read.calibrationEntries[0].rul, 0x1234u);
  EXPECT_EQ(read.openShort.bytes, image.openShort.bytes);
}

TEST(ProjectFile, EveryImageSurvivesPlainAndScrambled) {
  std::vector<ProgramImage> images = {goldenImage(),
                                      blankImage(0),
                                      blankImage(8192, 0x20),
                                      fullImage(1000, 0x10, 0),
                                      fullImage(8192, 0x20, 0),
                                      fullImage(4096, 0x10, 1),
                                      fullImage(8192, 0x20, 0xFFFFFFFF, 100),
                                      fullImage(77, 0x30, 5, 0),
                                      fullImage(0x8000, 0x20, 12345, 1)};
  for (ProgramImage& image : images) {
    SCOPED_TRACE(testing::Message() << "words " << image.head.codeWords() << " version " << int(image.head.version())
                                    << " limit " << image.head.programLimit());
    const Bytes plain = writeProjectPlain(image);
    const Bytes scrambled = writeProjectScrambled(image, makeFileKey(image.head.version(), counter));
    EXPECT_EQ(plain.size() + kScrambleHeadSize, scrambled.size());
    EXPECT_FALSE(isScrambledProject(plain));
    EXPECT_TRUE(isScrambledProject(scrambled));
    for (const Bytes* file : {&plain, &scrambled}) {
      ReadBack back = readFile(*file, image);
      EXPECT_TRUE(back.result.ok);
      EXPECT_TRUE(back.reporter.logLines.empty()) << back.reporter.logLines.front();
      EXPECT_EQ(back.result.passwordFound, image.protection.hasPassword());
      EXPECT_TRUE(back.image == image);
    }
  }
}

TEST(ProjectFile, BlocksFollowVersionAndLimit) {
  ProgramImage v10 = blankImage(16, 0x10);
  const Bytes plain10 = writeProjectPlain(v10);
  EXPECT_EQ(plain10.size(), 32u + 32 + 2 + 4 + 10 + 2);  // blocks 1-8 only

  ProgramImage v20 = blankImage(16, 0x20);
  v20.config.setCodeRange(0x0000, 0x0010);
  const Bytes plain20 = writeProjectPlain(v20);
  ASSERT_EQ(plain20.size(), plain10.size() + 32);
  EXPECT_TRUE(std::equal(v20.config.bytes.begin(), v20.config.bytes.end(), plain20.end() - 32));

  // With a limit the choice is scrambled; back to 0 the file is plain and keeps no
  // protection data.
  ProgramImage limited = fullImage(64, 0x10, 10);
  const Bytes protectedFile = writeProjectFile(limited, counter);
  EXPECT_NE(protectedFile[1] & 0x0F, 0);
  limited.head.setProgramLimit(0);
  const Bytes unprotected = writeProjectFile(limited, counter);
  EXPECT_FALSE(isScrambledProject(unprotected));
  ReadBack back = readFile(unprotected, limited);
  ASSERT_TRUE(back.result.ok);
  EXPECT_FALSE(back.result.passwordFound);
  EXPECT_TRUE(back.image.protection.uids.empty());
  EXPECT_EQ(back.image.protection.downloadLimit, 0);

  // A version whose low bits are set cannot be told from a scrambled file when plain, so
  // such an image is saved scrambled even without a limit.
  ProgramImage odd = fullImage(64, 0x17, 0);
  EXPECT_TRUE(isScrambledProject(writeProjectPlain(odd)));
  const Bytes oddFile = writeProjectFile(odd, counter);
  ReadBack oddBack = readFile(oddFile, odd);
  EXPECT_TRUE(oddBack.result.ok);
  EXPECT_TRUE(oddBack.image == odd);
}

TEST(ProjectFile, PlainFileWithLimitStillReadsBack) {
  // Plain form of a protected image carries block 9, so the ConfigBlock after it is not
  // mistaken for protection data.
  ProgramImage image = fullImage(32, 0x20, 3, 2);
  ReadBack back = readFile(writeProjectPlain(image), image);
  EXPECT_TRUE(back.result.ok);
  EXPECT_TRUE(back.reporter.logLines.empty());
  EXPECT_TRUE(back.image == image);
}

TEST(ProjectFile, DamageIsDetectedWhereItCounts) {
  ProgramImage image = fullImage(40, 0x10, 7, 2);
  const Bytes good = writeProjectPlain(image);

  Bytes code = good;
  code[32 + 5] ^= 0x01;
  ReadBack backCode = readFile(code, image);
  EXPECT_FALSE(backCode.result.ok);
  ASSERT_EQ(backCode.reporter.logLines.size(), 1u);
  EXPECT_EQ(backCode.reporter.logLines[0].rfind("Check lidentiy Failed read=0x", 0), 0u);

  Bytes calibration = good;
  calibration[32 + 80 + 2 + 1] ^= 0x40;  // CaliBrate enable bits
  ReadBack backCal = readFile(calibration, image);
  EXPECT_FALSE(backCal.result.ok);
  ASSERT_EQ(backCal.reporter.logLines.size(), 1u);
  EXPECT_EQ(backCal.reporter.logLines[0].rfind("Read CheckSum Failed read=0x", 0), 0u);

  Bytes uid = good;
  uid[good.size() - 2] ^= 0xFF;  // last byte of the last U_ID: not covered
  ReadBack backUid = readFile(uid, image);
  EXPECT_TRUE(backUid.result.ok);
  EXPECT_NE(backUid.image.protection.uids.back(), image.protection.uids.back());

  Bytes longer = good;
  longer.push_back(0);
  ReadBack backLong = readFile(longer, image);
  EXPECT_TRUE(backLong.result.ok);
  ASSERT_EQ(backLong.reporter.logLines.size(), 1u);
  EXPECT_EQ(backLong.reporter.logLines[0],
            formatText("Size=0x%04X, Addr=0x%04X！", unsigned(good.size() + 1), unsigned(good.size())));
}

TEST(ProjectFile, ShortFilesNameTheMissingBlock) {
  ProgramImage image = fullImage(24, 0x20, 9, 2);
  const Bytes good = writeProjectPlain(image);
  const std::size_t rol = 32 + 48 + 2 + 4 + 96 + 10;
  const std::vector<std::pair<std::size_t, std::string>> cuts = {
      {31, "Read HEAD Failed \r\n"},
      {32 + 47, "Read CODE Failed \r\n"},
      {32 + 49, "Read lidentiy Failed \r\n"},
      {32 + 50 + 3, "Read CaliBrate Failed \r\n"},
      {32 + 50 + 4 + 95, "Read CalibrateInfo.byData Failed! \r\n"},
      {rol - 1, "Read OpenShort Failed \r\n"},
      {rol, "Read RolCode[0] Failed \r\n"},
      {rol + 17, "Read RolCode Failed \r\n"},
      {rol + 19, "Read CheckSum Failed \r\n"},
      {rol + 23, "Read CurrentTime failed\r\n"},
      {rol + 27, "Failed to read the program file password \r\n"},
      {rol + 28, "Read KT_ID_Count Failed \r\n"},
      {rol + 29 + 23, "Read KT_ID Failed \r\n"},
  };
  for (const auto& [length, message] : cuts) {
    SCOPED_TRACE(length);
    ProgramImage read = resetLike(image);
    RecordingReporter reporter;
    EXPECT_FALSE(readProject(ByteView(good).first(length), read, kEnglish, reporter).ok);
    ASSERT_EQ(reporter.logLines.size(), 1u);
    EXPECT_EQ(reporter.logLines[0], message);
  }
  // A missing download limit leaves 0 and a missing ConfigBlock keeps the image's.
  ProgramImage read = resetLike(image);
  read.config.bytes.fill(0xEE);
  RecordingReporter reporter;
  EXPECT_TRUE(readProject(ByteView(good).first(good.size() - 33), read, kChinese, reporter).ok);
  EXPECT_EQ(read.protection.downloadLimit, 0);
  EXPECT_EQ(read.config.bytes[31], 0xEE);
  ASSERT_EQ(reporter.logLines.size(), 1u);  // the size line
}

TEST(ProjectFile, ScrambledFormAndKey) {
  ProgramImage image = fullImage(21, 0x20, 1, 1);  // payload length not a multiple of 16
  const Bytes payload = projectPayload(image);
  ASSERT_NE(payload.size() % 16, 0u);
  FileKey key{};
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(0x10 * i + 3);
  key[1] = 0x2B;
  const Bytes file = writeProjectScrambled(image, key);
  EXPECT_EQ(file[0], key[0]);
  EXPECT_EQ(file[1], 0x2B);
  EXPECT_EQ(file[2], static_cast<std::uint8_t>(key[2] + kScrambleHeadAdd));
  EXPECT_EQ(file[15], static_cast<std::uint8_t>(key[15] - kScrambleHeadSub));
  EXPECT_EQ(file[16 + 17], payload[17] ^ key[1]);
  EXPECT_EQ(file.back(), payload.back() ^ key[(payload.size() - 1) % 16]);
  RecordingReporter reporter;
  EXPECT_EQ(unscrambleProject(file, kEnglish, reporter), payload);

  std::mt19937 random(42);
  for (std::uint8_t version : {0x10, 0x17, 0x20, 0x2F}) {
    for (int n = 0; n < 50; ++n) {
      const FileKey made = makeFileKey(version, std::ref(random));
      EXPECT_EQ(made[1] & 0xF8, (version & 0xF8) | 0x08);
    }
  }
  EXPECT_NE(kScrambleHeadAdd, 0);
  EXPECT_NE(kScrambleHeadSub, 0);
}

TEST(ProjectFile, TooShortScrambledFileIsRefused) {
  RecordingReporter reporter;
  const Bytes tiny = {0x00, 0x18, 0x01};
  EXPECT_FALSE(unscrambleProject(tiny, kEnglish, reporter).has_value());
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_NE(reporter.logLines[0].find("3 bytes"), std::string::npos);
  // Plain files pass through unchanged whatever their length.
  const Bytes plainStart = {0xC3, 0x10, 0x00};
  EXPECT_EQ(unscrambleProject(plainStart, kEnglish, reporter), plainStart);
  const Bytes old = {0xC3, 0x01};
  EXPECT_EQ(unscrambleProject(old, kEnglish, reporter), old);
}

TEST(ProjectFile, OversizedCountsAreRefusedWithoutReading) {
  ProgramImage image = fullImage(16, 0x10, 2, 1);
  const Bytes good = writeProjectPlain(image);

  Bytes calibration = good;
  calibration[32 + 32 + 2] = 9;  // entry count
  ProgramImage read = resetLike(image);
  RecordingReporter reporter;
  EXPECT_FALSE(readProject(calibration, read, kEnglish, reporter).ok);
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_EQ(reporter.logLines[0], "Calibration count 9 exceeds the maximum of 8\r\n");
  EXPECT_EQ(read.calibration.count, 0);

  // KT_ID count 101 with enough bytes behind it to hold 101 U_IDs.
  Bytes uids = good;
  const std::size_t countAt = good.size() - 1 - 12 - 1;
  uids[countAt] = 101;
  uids.resize(good.size() + 100 * 12, 0);
  read = resetLike(image);
  reporter = {};
  EXPECT_FALSE(readProject(uids, read, kEnglish, reporter).ok);
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_EQ(reporter.logLines[0], "KT_ID count 101 exceeds the maximum of 100\r\n");
  EXPECT_TRUE(read.protection.uids.empty());

  // CodeWords 32769 is more than the buffer holds; refused before the code is read.
  Bytes huge(32 + 65536 + 64, 0);
  huge[0] = 0xC3;
  huge[1] = 0x10;
  huge[2] = 0x01;
  huge[3] = 0x80;
  read = resetLike(image);
  reporter = {};
  EXPECT_FALSE(readProject(huge, read, kChinese, reporter).ok);
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_EQ(reporter.logLines[0], "代码大小0x8001字超过最大程序大小0x8000字！\r\n");

  // The writers refuse what the reader would refuse.
  ProgramImage tooMany = fullImage(16, 0x10, 2, 101);
  EXPECT_TRUE(writeProjectPlain(tooMany).empty());
  tooMany.head.setProgramLimit(0);
  tooMany.protection.uids.clear();
  tooMany.head.setCodeWords(0x8001);
  EXPECT_TRUE(writeProjectScrambled(tooMany, FileKey{}).empty());
}

TEST(ProjectFile, PreReadFindsHeadAndConfig) {
  ProgramImage image = fullImage(10, 0x20, 0);
  const Bytes file = writeProjectPlain(image);
  RecordingReporter reporter;
  const ProjectHeadPreview preview = preReadProjectHead(file, kEnglish, reporter);
  EXPECT_TRUE(preview.headRead);
  EXPECT_EQ(preview.head.bytes, image.head.bytes);
  ASSERT_TRUE(preview.config.has_value());
  EXPECT_EQ(preview.config->bytes, image.config.bytes);

  ProgramImage v10 = blankImage(10);
  EXPECT_FALSE(preReadProjectHead(writeProjectPlain(v10), kEnglish, reporter).config.has_value());
  EXPECT_FALSE(preReadProjectHead(ByteView(file).first(20), kChinese, reporter).headRead);
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_EQ(reporter.logLines[0], "读取HEAD失败！ \r\n");
}

}  // namespace
}  // namespace kt90
