#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "TestImages.h"
#include "core/progfile/HexFile.h"

namespace kt90 {
namespace {

ByteView bytesOf(const std::string& s) { return ByteView(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }
std::string textOf(const Bytes& b) { return std::string(b.begin(), b.end()); }

struct HexLoad {
  bool ok;
  ProgramImage image;
  RecordingReporter reporter;
};

HexLoad load(const std::string& text, std::uint16_t codeWords = 0x400, std::uint16_t blank = 0x3FFF) {
  HexLoad out{false, testimages::blankImage(codeWords, 0x10, blank), {}};
  out.image.fillCode(0x1111);  // the reader blanks the program first
  out.ok = readHex(bytesOf(text), out.image, blank, kEnglish, out.reporter);
  return out;
}

TEST(HexFile, WriterOutput) {
  ProgramImage image = testimages::blankImage(0x0404);
  image.setWord(0, 0x2801);
  image.setWord(0x0402, 0x0ABC);
  // Blank blocks are skipped; the trailing 4 words come as a shorter record.
  EXPECT_EQ(textOf(writeHex(image.code(), 0x0404, 0x3FFF)),
            ":020000040000FA\r\n"
            ":100000000128FF3FFF3FFF3FFF3FFF3FFF3FFF3F15\r\n"
            ":08080000FF3FFF3FBC0AFF3F70\r\n"
            ":00000001FF\r\n");

  // A blank code gives the two fixed lines; on a 16-bit chip 0x3FFF words are not blank.
  const ProgramImage blank14 = testimages::blankImage(64);
  EXPECT_EQ(textOf(writeHex(blank14.code(), 64, 0x3FFF)), ":020000040000FA\r\n:00000001FF\r\n");
  const Bytes as16 = writeHex(blank14.code(), 64, 0xFFFF);
  EXPECT_EQ(std::count(as16.begin(), as16.end(), ':'), 2 + 8);
  ProgramImage one16 = testimages::blankImage(64);
  one16.setWord(63, 0xFFFF);
  EXPECT_EQ(textOf(writeHex(one16.code(), 64, 0x3FFF)).size(), 17u + 45 + 13);
}

TEST(HexFile, EveryCodeSurvivesWriteAndRead) {
  for (std::uint16_t words : {0, 1, 7, 8, 0x0404, 8192, 0x7FFF, 0x8000}) {
    SCOPED_TRACE(words);
    ProgramImage image = testimages::fullImage(words, 0x10, 0);
    if (words > 2) image.setWord(words / 2, 0x3FFF);
    const Bytes text = writeHex(image.code(), words, 0x3FFF);
    ProgramImage read = testimages::blankImage(words);
    RecordingReporter reporter;
    ASSERT_TRUE(readHex(text, read, 0x3FFF, kEnglish, reporter));
    EXPECT_TRUE(reporter.logLines.empty());
    EXPECT_TRUE(std::equal(image.code().begin(), image.code().begin() + 2 * words, read.code().begin()));
  }
}

TEST(HexFile, CommonToolOutputLoads) {
  // Lower case, LF only, blanks before the colon, an extended linear address of 0, a
  // segment address of 0, a start address, no end record.
  const HexLoad out = load(
      ":020000040000fa\n"
      "  :020000020000fc\n"
      "\n"
      ":040010003412ffffa8\n"
      "\t:0400000500000000f7\n");
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.image.word(8), 0x1234);
  EXPECT_EQ(out.image.word(9), 0xFFFF);
  EXPECT_EQ(out.image.word(0), 0x3FFF);  // blanked, not 0x1111
  // Without its end record the file may be cut short: it loads, with one warning.
  EXPECT_EQ(out.reporter.logLines,
            std::vector<std::string>{"Warning: the HEX file has no end-of-file record; it may be incomplete\r\n"});

  const HexLoad crlf = load(":020000000040BE\r\n:00000001FF\r\n:0200000000FFFF\r\n");
  ASSERT_TRUE(crlf.ok);  // nothing after the end record is read
  EXPECT_EQ(crlf.image.word(0), 0x4000);
}

TEST(HexFile, FailuresAndTheRomLimit) {
  const HexLoad noColon = load(":020000000040BE\nxyz\n");
  EXPECT_FALSE(noColon.ok);
  EXPECT_EQ(noColon.reporter.logLines, std::vector<std::string>{"xyz"});

  const HexLoad badSum = load(":020000000040BF\n");
  EXPECT_FALSE(badSum.ok);
  EXPECT_EQ(badSum.reporter.logLines, std::vector<std::string>{"Check failure：020000000040BF"});

  // An address equal to CodeWords * 2 is accepted (nothing of the program changes);
  // one beyond blanks the code and fails.
  const HexLoad atEnd = load(":02000800AAAAA2\n", 0x400);
  EXPECT_TRUE(atEnd.ok);
  const HexLoad beyond = load(":020000000040BE\n:02080100AAAAA1\n", 0x400);
  EXPECT_FALSE(beyond.ok);
  EXPECT_EQ(beyond.reporter.logLines, std::vector<std::string>{"程序代码大小超过芯片ROM大小！"});
  EXPECT_EQ(beyond.image.word(0), 0x3FFF);
}

TEST(HexFile, ExtendedAddressesDoNotWrapIntoTheProgram) {
  // Data under a linear base of 0x10000 belongs above the code memory: the load fails
  // instead of overwriting words 0 and 1.
  const HexLoad linear = load(":020000040001F9\n:040000003412ABCD3E\n");
  EXPECT_FALSE(linear.ok);
  ASSERT_EQ(linear.reporter.logLines.size(), 2u);
  EXPECT_EQ(linear.reporter.logLines[0], "HEX data at address 0x00010000 lies outside the program memory\r\n");
  EXPECT_EQ(linear.image.word(0), 0x3FFF);

  // A small segment base still lands inside the program, at base + address.
  const HexLoad segment = load(":020000020001FB\n:020000003412B8\n");
  ASSERT_TRUE(segment.ok);
  EXPECT_EQ(segment.image.word(8), 0x1234);
  EXPECT_EQ(segment.image.word(0), 0x3FFF);
}

TEST(HexFile, MalformedRecordsAreRefused) {
  const std::string longLine = ":" + std::string(2 * 261, '0') + "\n";
  const HexLoad tooLong = load(longLine);
  EXPECT_FALSE(tooLong.ok);
  EXPECT_EQ(tooLong.reporter.logLines, std::vector<std::string>{"HEX line 1 holds more than 260 record bytes\r\n"});

  // 255 data bytes (260 record bytes in all) are the most a line may hold.
  std::string maxLine = ":FF000000";
  unsigned sum = 0xFF;
  for (int i = 0; i < 255; ++i) {
    maxLine += "01";
    sum += 1;
  }
  char check[3];
  std::snprintf(check, sizeof check, "%02X", (256 - sum % 256) % 256);
  const HexLoad longest = load(maxLine + check + "\n");
  EXPECT_TRUE(longest.ok) << longest.reporter.logLines.front();
  EXPECT_EQ(longest.image.code()[254], 0x01);

  // A record whose count promises more data than it carries.
  const HexLoad shortData = load(":04000000AAAAA8\n");
  EXPECT_FALSE(shortData.ok);
  EXPECT_EQ(shortData.reporter.logLines,
            std::vector<std::string>{"HEX line 1 is not a complete record: 04000000AAAAA8\r\n"});
  const HexLoad stub = load(":00FF\n");
  EXPECT_FALSE(stub.ok);
}

}  // namespace
}  // namespace kt90
