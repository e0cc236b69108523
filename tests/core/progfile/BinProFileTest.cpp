#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "TestImages.h"
#include "core/progfile/BinFile.h"
#include "core/progfile/ProFile.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

using namespace testfiles;

TEST(BinFile, CopiesFromByteZeroWithoutBlankFill) {
  ProgramImage image = testimages::blankImage(16);
  RecordingReporter reporter;
  const Bytes four = {0x01, 0x28, 0x34, 0x12};
  ASSERT_TRUE(readBin(four, image, kEnglish, reporter));
  EXPECT_EQ(image.word(0), 0x2801);
  EXPECT_EQ(image.word(1), 0x1234);
  EXPECT_EQ(image.word(2), 0x3FFF);

  // Longer than the program but within the buffer: loads.
  const Bytes full(65536, 0x55);
  EXPECT_TRUE(readBin(full, image, kEnglish, reporter));
  EXPECT_EQ(image.code()[65535], 0x55);
  EXPECT_TRUE(reporter.logLines.empty());

  // One byte more than the buffer: refused, nothing copied.
  const Bytes over(65537, 0x66);
  EXPECT_FALSE(readBin(over, image, kEnglish, reporter));
  EXPECT_EQ(image.code()[0], 0x55);
  EXPECT_EQ(reporter.logLines,
            std::vector<std::string>{"The file of 65537 bytes exceeds the buffer of 65536 bytes\r\n"});

  // The generic form reports the size and respects any buffer.
  std::array<std::uint8_t, 8> small{};
  EXPECT_EQ(readBinInto(four, small, kEnglish, reporter), 4u);
  EXPECT_FALSE(readBinInto(full, small, kEnglish, reporter).has_value());
}

// Stands in for the working state: a chip-name entry resets the image.
class FakeChips : public ProChipHandler {
 public:
  explicit FakeChips(ProgramImage& image) : image_(image) {}
  bool onChipName(const std::string& utf8Name) override {
    names.push_back(utf8Name);
    headNameAtLookup = image_.head.chipName();
    image_ = testimages::blankImage(0x800);
    image_.openShort.setPins(8);
    model = "VK" + utf8Name;
    return true;
  }
  std::string onFinished() override {
    ++finished;
    return model;
  }
  std::vector<std::string> names;
  std::array<std::uint8_t, 8> headNameAtLookup{};
  std::string model = "VK1234";
  int finished = 0;

 private:
  ProgramImage& image_;
};

TEST(ProFile, ReadsNameKeyCodeOptionsAndFlags) {
  const Bytes key = {0x5A, 0x13, 0xC4};
  Bytes code(600);
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 31 + 5);
  const Bytes options = {0xF4, 0x1F, 0xFE, 0x3F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0xAB, 0xCD};

  ProBuilder pro;
  pro.reserveEntries(8);
  const std::uint32_t name = pro.utf16(u"K163B");
  const std::uint32_t keyAt = pro.keyRecord(key);
  const std::uint32_t codeAt = pro.encoded(code, key);
  const std::uint32_t optionsAt = pro.encoded(options, key);
  const std::uint32_t flagsAt = pro.data({0x0A});  // Blank and Verify, not Program
  pro.entry(kName, 0, name, 0);
  pro.entry(kKey, 0, keyAt, 1);
  pro.entry(kData, 0, codeAt, 600);
  pro.entry(kData, 0x4000, optionsAt, 18);
  pro.entry(kFlags, 0, flagsAt, 1);
  pro.entry(kCalFlags, 0, 0x0102, 0);
  pro.entry(kRolling, 0, 1, 0);
  pro.entry(0x7777, 0, 0xFFFFFFFF, 0xFFFFFFFF);  // unknown: ignored
  const Bytes file = pro.build();

  ProgramImage image = testimages::blankImage(16);
  image.calibration.enableBits = 0xF1;
  FakeChips chips(image);
  RecordingReporter reporter;
  ASSERT_TRUE(readPro(file, image, chips, kEnglish, reporter)) << reporter.logLines.front();
  EXPECT_EQ(chips.names, std::vector<std::string>{"K027B"});
  const std::array<std::uint8_t, 8> expectedName = {'K', '0', '2', '7', 'B', 0, 0, 0};
  EXPECT_EQ(chips.headNameAtLookup, expectedName);
  EXPECT_EQ(image.head.chipName(), expectedName);  // stored again after the reset
  EXPECT_EQ(chips.finished, 1);
  EXPECT_EQ(image.head.codeWords(), 300);
  EXPECT_TRUE(std::equal(code.begin(), code.end(), image.code().begin()));
  EXPECT_EQ(image.head.optionWord(0), 0x3FF4);  // bit 13 added: the model holds "027"
  EXPECT_EQ(image.head.optionWord(1), 0x3FFE);
  EXPECT_EQ(image.head.optionWord(7), 0x0C0B);
  EXPECT_TRUE(image.head.flag(headflag::kBlank));
  EXPECT_FALSE(image.head.flag(headflag::kProgram));
  EXPECT_TRUE(image.head.flag(headflag::kVerify));
  EXPECT_EQ(image.calibration.enableBits, 0x02);  // reset image had 0; bit 1 from the entry
  EXPECT_TRUE(image.rollingCodeOn());
  EXPECT_EQ(image.openShort.bytes, OpenShort{}.bytes);
}

TEST(ProFile, EntryOrderAndMissingKey) {
  // The name after the code: the reset loses the code. No key: nothing copied, but the
  // code block still sets CodeWords.
  ProBuilder pro;
  pro.reserveEntries(3);
  const std::uint32_t codeAt = pro.data(Bytes(64, 0x11));
  const std::uint32_t name = pro.utf16(u"1234");
  pro.entry(kData, 0, codeAt, 64);
  pro.entry(kName, 0, name, 0);
  pro.entry(kData, 0, codeAt, 40);
  ProgramImage image = testimages::blankImage(16);
  FakeChips chips(image);
  RecordingReporter reporter;
  ASSERT_TRUE(readPro(pro.build(), image, chips, kEnglish, reporter));
  EXPECT_EQ(image.head.codeWords(), 20);
  EXPECT_EQ(image.word(0), 0x3FFF);
  EXPECT_EQ(image.head.optionWord(0), 0x3FFF);  // no "027" in the model

  // A key entry of length 0 clears the key.
  ProBuilder cleared;
  cleared.reserveEntries(3);
  const std::uint32_t keyAt = cleared.keyRecord({0x01});
  const std::uint32_t dataAt = cleared.data({0x99, 0x99});
  cleared.entry(kKey, 0, keyAt, 1);
  cleared.entry(kKey, 0, 0, 0);
  cleared.entry(kData, 0, dataAt, 2);
  ProgramImage other = testimages::blankImage(16);
  FakeChips otherChips(other);
  ASSERT_TRUE(readPro(cleared.build(), other, otherChips, kEnglish, reporter));
  EXPECT_EQ(other.word(0), 0x3FFF);
  EXPECT_EQ(other.head.codeWords(), 1);
}

// Entries that each cost a chip load or a 64 KiB decode are refused in floods before any
// is applied; cheap entries in any number take one pass.
TEST(ProFile, WorkStaysLinearInTheFile) {
  const struct {
    const char* what;
    std::uint32_t type;
    std::uint32_t count;
    bool loads;
  } cases[] = {
      {"chip names at the limit", kName, 16, true},      {"100,000 chip names", kName, 100000, false},
      {"code blocks at the limit", kData, 64, true},     {"20,000 overlapping 64 KiB code blocks", kData, 20000, false},
      {"100,000 ignored entries", 0x7777, 100000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProBuilder pro;
    pro.reserveEntries(c.count + 1);
    const std::uint32_t keyAt = pro.keyRecord({0x5A});
    const std::uint32_t nameAt = pro.utf16(u"K163B");
    const std::uint32_t codeAt = pro.data(Bytes(65534, 0x11));
    pro.entry(kKey, 0, keyAt, 1);
    for (std::uint32_t k = 0; k < c.count; ++k) {
      pro.entry(c.type, 0, c.type == kName ? nameAt : codeAt, c.type == kData ? 65534 : 0);
    }
    ProgramImage image = testimages::blankImage(16);
    FakeChips chips(image);
    RecordingReporter reporter;
    EXPECT_EQ(readPro(pro.build(), image, chips, kEnglish, reporter), c.loads);
    EXPECT_EQ(chips.names.size(), c.loads && c.type == kName ? c.count : 0u);
    if (!c.loads) {
      const unsigned names = c.type == kName ? c.count : 0;
      const unsigned blocks = c.type == kData ? c.count : 0;
      EXPECT_EQ(reporter.logLines, std::vector<std::string>{
                                       formatText(text(TextId::ProTooManyEntries, kEnglish), names, blocks, 16u, 64u)});
    }
  }
}

TEST(ProFile, HeadChecks) {
  ProgramImage image = testimages::blankImage(16);
  FakeChips chips(image);
  RecordingReporter reporter;
  const Bytes notPro = {'P', 'R', 'X', 0};
  EXPECT_FALSE(readPro(notPro, image, chips, kEnglish, reporter));
  Bytes wrongSize = ProBuilder().build();
  wrongSize.push_back(0);
  EXPECT_FALSE(readPro(wrongSize, image, chips, kChinese, reporter));
  EXPECT_EQ(reporter.logLines, (std::vector<std::string>{"PRO Incorrect file format", "PRO文件大小不正确"}));
  EXPECT_TRUE(readPro(ProBuilder().build(), image, chips, kEnglish, reporter));
}

TEST(ProFile, DamagedFilesNeverReachOutside) {
  ProgramImage image = testimages::blankImage(16);
  FakeChips chips(image);
  auto refused = [&](const Bytes& file, const std::string& line) {
    RecordingReporter reporter;
    EXPECT_FALSE(readPro(file, image, chips, kEnglish, reporter));
    EXPECT_EQ(reporter.logLines, std::vector<std::string>{line});
  };

  Bytes table = ProBuilder().build();
  writeU32(&table[28], 0x10000001);  // 16 * count wraps in 32 bits
  refused(table, "PRO entry table of 268435457 entries reaches past the end of the file\r\n");

  for (const auto& e : std::vector<std::array<std::uint32_t, 4>>{{kData, 0, 40, 100},
                                                                 {kData, 0x4000, 0xFFFFFFF0, 0x20},
                                                                 {kFlags, 0, 64, 0},
                                                                 {kName, 0, 65, 0},
                                                                 {kKey, 0, 60, 1}}) {
    ProBuilder pro;
    pro.reserveEntries(1);
    pro.data(Bytes(16, 0));
    pro.entry(e[0], e[1], e[2], e[3]);
    refused(pro.build(), "PRO entry 0 points outside the file\r\n");
  }

  ProBuilder keyBeyond;
  keyBeyond.reserveEntries(1);
  const std::uint32_t keyAt = keyBeyond.data({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 1});
  keyBeyond.entry(kKey, 0, keyAt, 1);
  refused(keyBeyond.build(), "PRO entry 0 points outside the file\r\n");

  ProBuilder emptyKey;
  emptyKey.reserveEntries(2);
  const std::uint32_t emptyAt = emptyKey.keyRecord({});
  emptyKey.entry(kName, 0, emptyKey.utf16(u"X"), 0);
  emptyKey.entry(kKey, 0, emptyAt, 1);
  refused(emptyKey.build(), "PRO entry 1 names a key of length 0\r\n");

  ProBuilder huge;
  huge.reserveEntries(1);
  const std::uint32_t hugeAt = huge.data(Bytes(65536, 0));
  huge.entry(kData, 0, hugeAt, 65536);
  refused(huge.build(), "PRO code block of 65536 bytes is larger than the 65535 bytes a program may hold\r\n");

  // An unterminated name stops at the end of the file.
  ProBuilder unterminated;
  unterminated.reserveEntries(1);
  const std::uint32_t nameAt = unterminated.data({'A', 0, 'B'});
  unterminated.entry(kName, 0, nameAt, 0);
  RecordingReporter reporter;
  EXPECT_TRUE(readPro(unterminated.build(), image, chips, kEnglish, reporter));
  EXPECT_EQ(chips.names.back(), "A");
}

}  // namespace
}  // namespace kt90
