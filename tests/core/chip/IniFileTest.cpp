#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/base/FileIo.h"
#include "core/base/Gb18030.h"
#include "core/chip/CIniFile.h"
#include "core/chip/ChipDefinition.h"
#include "core/chip/Cif.h"
#include "core/chip/IniDocument.h"
#include "core/chip/IniKeyWriter.h"
#include "core/chip/IniSnapshot.h"
#include "support/TempDir.h"
#include "support/TestPlatform.h"

namespace kt90 {
namespace {

TEST(ProfileInt, DecimalHexSignBlanksAndJunk) {
  EXPECT_EQ(parseProfileInt("123"), 123);
  EXPECT_EQ(parseProfileInt("0x1F"), 31);
  EXPECT_EQ(parseProfileInt("0XfF"), 255);
  EXPECT_EQ(parseProfileInt("  42"), 42);
  EXPECT_EQ(parseProfileInt("-5"), -5);
  EXPECT_EQ(parseProfileInt("+7"), 7);
  EXPECT_EQ(parseProfileInt("12abc"), 12);
  EXPECT_EQ(parseProfileInt("0x"), 0);
  EXPECT_EQ(parseProfileInt("abc"), 0);
  EXPECT_EQ(parseProfileInt(""), 0);
  EXPECT_EQ(parseProfileInt("4294967295"), -1);  // wraps to 32 bits
  EXPECT_EQ(static_cast<std::uint32_t>(parseProfileInt("0x100000001")), 1u);
}

TEST(IniDocument, NamesIgnoreCaseFirstWinsCommentsAndQuotes) {
  const IniDocument ini(
      "; comment\r\n"
      "[ROM]\r\n"
      "  BitWidth = 16 \r\n"
      "bitwidth=8\r\n"
      ";Size=99\r\n"
      "Size=\"0x400\"\r\n"
      "[rom]\r\n"
      "Extra=1\r\n"
      "[General]\n"
      "Name=  spaced value  \n"
      "NoEquals\n");
  EXPECT_EQ(ini.value("rom", "BITWIDTH"), "16");
  EXPECT_EQ(ini.value("ROM", "Size"), "0x400");
  EXPECT_FALSE(ini.value("ROM", "Extra").has_value());
  EXPECT_EQ(ini.value("General", "Name"), "spaced value");
  EXPECT_FALSE(ini.value("General", "NoEquals").has_value());
  EXPECT_FALSE(ini.value("Missing", "Size").has_value());
}

class IniFileTest : public ::testing::Test {
 protected:
  std::filesystem::path dir = test::uniqueTempDir("kt90_ini");
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string write(const std::string& name, const Bytes& bytes) {
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return pathToUtf8(path);
  }
  static Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesDefault) {
  const CIniFile missing(pathToUtf8(dir / "none.ini"));
  EXPECT_EQ(missing.ReadInt("Settings", "CloseUpdata", 1), 1);
  EXPECT_EQ(missing.ReadString("Settings", "WndTxt", "x"), "x");
  const CIniFile file(write("a.ini", bytesOf("[Settings]\r\nA=5\r\n")));
  EXPECT_EQ(file.ReadInt("Settings", "A", 9), 5);
  EXPECT_EQ(file.ReadInt("Settings", "B", 9), 9);
  EXPECT_EQ(file.ReadInt("Other", "A", 9), 9);
  EXPECT_EQ(file.ReadString("Settings", "B"), "");
}

// Definitions, settings and CIF files that are pipes, folders or far too large read as
// missing without blocking or filling the memory; the writer leaves them as they are and
// the loaders say why.
TEST_F(IniFileTest, NoSmallRegularFileReadsAsMissingAndIsNeverReplaced) {
  namespace fs = std::filesystem;
  for (const char* folder : {"EN_DEV", "CIF"}) fs::create_directories(dir / folder);
  if (!test::makeFifo(dir / "EN_DEV" / "PIPE.dev")) GTEST_SKIP() << test::kNoFifos;
  ASSERT_TRUE(test::makeFifo(dir / "CIF" / "PIPE.cif"));
  fs::create_directories(dir / "EN_DEV" / "FOLDER.dev");
  write("EN_DEV/HUGE.dev", bytesOf("[ROM]\r\nSize=5\r\n"));
  fs::resize_file(dir / "EN_DEV" / "HUGE.dev", CIniFile::kMaxFileBytes + 1);

  const struct {
    const char* model;
    ReadProblem problem;
    std::string reason;
  } cases[] = {
      {"PIPE", ReadProblem::NotRegular, ": not a regular file (a folder, device or pipe)\r\n"},
      {"FOLDER", ReadProblem::NotRegular, ": not a regular file (a folder, device or pipe)\r\n"},
      {"HUGE", ReadProblem::TooLarge, ": larger than 1048576 bytes, more than such a file can hold\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    const std::string path = chipDefinitionPath(pathToUtf8(dir), kEnglish, c.model);
    const auto kind = fs::status(pathFromUtf8(path)).type();
    EXPECT_EQ(CIniFile(path).ReadInt("ROM", "Size", 7), 7);
    EXPECT_EQ(IniSnapshot(path).problem(), c.problem);
    EXPECT_FALSE(writeIniKey(pathFromUtf8(path), "ROM", "Size", "9"));
    EXPECT_EQ(fs::status(pathFromUtf8(path)).type(), kind);

    RecordingReporter reporter;
    ChipInfo info;
    ProgramImage image;
    EXPECT_FALSE(LoadChipDefinition({pathToUtf8(dir), kEnglish, c.model}, true, info, image, reporter));
    EXPECT_EQ(reporter.logLines, std::vector<std::string>{"Cannot open " + path + c.reason});
  }
  EXPECT_EQ(fs::file_size(dir / "EN_DEV" / "HUGE.dev"), CIniFile::kMaxFileBytes + 1);

  RecordingReporter reporter;
  EXPECT_FALSE(LoadCif(pathToUtf8(dir), "PIPE", kEnglish, reporter));
  EXPECT_EQ(reporter.logLines.size(), 1u);
}

TEST_F(IniFileTest, LongStringsAreCutAt1023Units) {
  const std::string longValue(1500, 'x');
  const CIniFile file(write("long.ini", bytesOf("[S]\nK=" + longValue + "\n")));
  EXPECT_EQ(file.ReadString("S", "K").size(), 1023u);
  // Chinese characters count one unit each and are never split.
  std::string chinese;
  for (int i = 0; i < 1100; ++i) chinese += "芯";
  const CIniFile zh(write("zh.ini", bytesOf("[S]\nK=" + chinese + "\n")));
  EXPECT_EQ(zh.ReadString("S", "K").size(), 1023u * 3);
}

// A BOM decides; without one the file is GB18030, as the Chinese systems write it, also
// when its bytes happen to be valid UTF-8 ("校准"). Only bytes that cannot be GB18030 are
// UTF-8 (an odd run of three-byte characters before an ASCII byte, "看门狗").
TEST_F(IniFileTest, BomDecidesElseGb18030ElseUtf8) {
  struct Case {
    std::string name;
    std::u16string name16;
    bool plainUtf8Readable;
  };
  for (const Case& c : {Case{"看门狗", u"看门狗", true}, Case{"IRC校准", u"IRC校准", false}}) {
    const std::string text = "[OTPOption0_Item0]\r\nName=" + c.name + "\r\nItemCount=2\r\n";
    Bytes bom = {0xEF, 0xBB, 0xBF};
    appendBytes(bom, bytesOf(text));
    Bytes utf16 = {0xFF, 0xFE};
    for (char16_t u : u"[OTPOption0_Item0]\r\nName=" + c.name16 + u"\r\nItemCount=2\r\n") appendU16(utf16, u);
    const std::string gb = utf8ToGb18030(text);
    ASSERT_NE(gb, text);
    std::vector<std::string> files = {write("bom.dev", bom), write("u16.dev", utf16), write("gb.dev", bytesOf(gb))};
    if (c.plainUtf8Readable) files.push_back(write("plain.dev", bytesOf(text)));
    for (const auto& file : files) {
      const CIniFile ini(file);
      EXPECT_EQ(ini.ReadString("OTPOption0_Item0", "Name"), c.name) << file;
      EXPECT_EQ(ini.ReadInt("otpoption0_item0", "itemcount", 0), 2) << file;
    }
  }
}

TEST_F(IniFileTest, WriteCloseUpdateKeepsTheRestOfTheFile) {
  const std::string original =
      "; shipped settings\r\n[Settings]\r\nWndTxt=KT90\r\nCloseUpdata=1\r\nVersion=1.0\r\n\r\n[Other]\r\nX=1\r\n";
  const CIniFile file(write("set.dll", bytesOf(original)));
  ASSERT_TRUE(file.WriteCloseUpdate(0));
  EXPECT_EQ(
      readWholeFile(pathFromUtf8(file.path())),
      bytesOf(
          "; shipped settings\r\n[Settings]\r\nWndTxt=KT90\r\nCloseUpdata=0\r\nVersion=1.0\r\n\r\n[Other]\r\nX=1\r\n"));
  EXPECT_EQ(file.ReadInt("Settings", "CloseUpdata", 1), 0);
}

TEST(SetIniKey, AddsMissingKeyOrSection) {
  EXPECT_EQ(setIniKey("[Settings]\r\nA=1\r\n\r\n[B]\r\n", "Settings", "CloseUpdata", "1"),
            "[Settings]\r\nA=1\r\nCloseUpdata=1\r\n\r\n[B]\r\n");
  EXPECT_EQ(setIniKey("[B]\nX=1", "Settings", "K", "v"), "[B]\nX=1\n[Settings]\nK=v\n");
  EXPECT_EQ(setIniKey("", "Settings", "K", "v"), "[Settings]\r\nK=v\r\n");
}

TEST_F(IniFileTest, WriteKeepsUtf16Encoding) {
  Bytes utf16 = {0xFF, 0xFE};
  for (char16_t c : std::u16string(u"[Settings]\r\nWndTxt=烧录器\r\nCloseUpdata=1\r\n")) appendU16(utf16, c);
  const CIniFile file(write("u16.ini", utf16));
  ASSERT_TRUE(file.WriteCloseUpdate(0));
  const auto bytes = readWholeFile(pathFromUtf8(file.path()));
  ASSERT_TRUE(bytes && bytes->size() > 2);
  EXPECT_EQ((*bytes)[0], 0xFF);
  EXPECT_EQ(file.ReadString("Settings", "WndTxt"), "烧录器");
  EXPECT_EQ(file.ReadInt("Settings", "CloseUpdata", 1), 0);
}

}  // namespace
}  // namespace kt90
