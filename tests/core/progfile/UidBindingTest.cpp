#include <gtest/gtest.h>

#include "core/progfile/KtIdFile.h"
#include "core/progfile/UidBinding.h"

namespace kt90 {
namespace {

const ProgrammerUid kUid = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xFF};

TEST(UidBinding, RowTextRules) {
  EXPECT_EQ(uidToRowText(kUid), "00 11 22 33 44 55 66 77 88 99 AA FF ");
  EXPECT_EQ(uidFromRowText(uidToRowText(kUid)), kUid);
  EXPECT_EQ(uidFromRowText("00112233445566778899aaff"), kUid);  // no spaces, lower case
  EXPECT_FALSE(uidFromRowText("00112233445566778899AAF").has_value());
  EXPECT_FALSE(uidFromRowText("00112233445566778899AAFF0").has_value());
  EXPECT_FALSE(uidFromRowText("").has_value());
  // A non-digit ends its pair's value; a pair starting with one is 0.
  const auto odd = uidFromRowText("1G G1 00 00 00 00 00 00 00 00 00 0Z");
  ASSERT_TRUE(odd.has_value());
  EXPECT_EQ((*odd)[0], 0x01);
  EXPECT_EQ((*odd)[1], 0x00);
  EXPECT_EQ((*odd)[11], 0x00);
  // Characters are counted as the dialog counts them, not as UTF-8 bytes.
  EXPECT_TRUE(uidFromRowText("芯片112233445566778899AAFF").has_value());
}

TEST(UidBinding, DialogRowsAndOk) {
  std::vector<ProgrammerUid> uids = {kUid};
  std::vector<std::string> rows = rowsForUids(uids);
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows[1], "");
  rows[5] = "0102030405060708090A0B0C";
  rows[6] = "  ";
  RecordingReporter reporter;
  // A row that is no U_ID is named and refused, never dropped.
  for (const char* bad : {"garbage", "0102030405060708090A0B0", "0102030405060708090A0B0G"}) {
    rows[7] = bad;
    EXPECT_FALSE(uidsFromRows(rows, kEnglish, reporter).has_value());
    EXPECT_EQ(reporter.alerts.back(),
              std::string("Row 8 is not a programmer U_ID (24 hexadecimal digits): ") + bad + "\r\n");
  }
  rows[7] = "";
  reporter.alerts.clear();
  const auto ok = uidsFromRows(rows, kEnglish, reporter);
  ASSERT_TRUE(ok.has_value());
  ASSERT_EQ(ok->size(), 2u);
  EXPECT_EQ((*ok)[1][11], 0x0C);

  // Rows past 100 are read too; more than 100 U_IDs are refused, not cut.
  std::vector<std::string> many(101, uidToRowText(kUid));
  EXPECT_FALSE(uidsFromRows(many, kEnglish, reporter).has_value());
  EXPECT_EQ(reporter.alerts,
            std::vector<std::string>{"At most 100 programmer U_IDs can be bound; the list holds 101\r\n"});
  many.push_back("");
  many[0] = "";
  EXPECT_EQ(uidsFromRows(many, kEnglish, reporter)->size(), 100u);

  // The connected programmer joins once; a full list says why it does not.
  ProgrammerUid other = kUid;
  other[0] = 0x42;
  addConnectedUid(uids, other, kEnglish, reporter);
  addConnectedUid(uids, other, kEnglish, reporter);
  EXPECT_EQ(uids.size(), 2u);
  EXPECT_EQ(uids.back(), other);
  std::vector<ProgrammerUid> full(100, kUid);
  addConnectedUid(full, other, kEnglish, reporter);
  EXPECT_EQ(full.size(), 100u);
  EXPECT_EQ(reporter.logLines.size(), 1u);
}

TEST(UidBinding, MatchBeforeDownload) {
  RecordingReporter reporter;
  EXPECT_TRUE(matchConnectedProgrammer({}, std::nullopt, kEnglish, reporter));
  EXPECT_TRUE(reporter.logLines.empty());

  EXPECT_TRUE(matchConnectedProgrammer({kUid}, kUid, kEnglish, reporter));
  EXPECT_EQ(reporter.logLines, std::vector<std::string>{"00: 00 11 22 33 44 55 66 77 88 99 AA FF\r\n"});

  ProgrammerUid other = kUid;
  other[11] = 0;
  reporter = {};
  EXPECT_FALSE(matchConnectedProgrammer({kUid, kUid}, other, kChinese, reporter));
  ASSERT_EQ(reporter.logLines.size(), 3u);
  EXPECT_EQ(reporter.logLines[1].substr(0, 3), "01:");
  EXPECT_EQ(reporter.logLines[2], "当前烧录文件不包括此烧录器ID，请重新配置烧录文件！\r\n");

  // Without a known U_ID even an all-zero entry does not match.
  reporter = {};
  EXPECT_FALSE(matchConnectedProgrammer({ProgrammerUid{}}, std::nullopt, kEnglish, reporter));
  EXPECT_EQ(reporter.logLines.back().rfind("The current program file is not available", 0), 0u);
}

TEST(KtIdFile, SaveAndLoadReproduceTheRows) {
  std::vector<std::string> rows = rowsForUids({kUid});
  rows[3] = "备注 12";
  const Bytes file = ktIdFileFromRows(rows);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 38), "00 11 22 33 44 55 66 77 88 99 AA FF \r\n");
  EXPECT_EQ(file[file.size() - 2], '\r');
  EXPECT_EQ(ktIdRowsFromFile(file), rows);  // written as GB18030, read back as text

  // LF-only files and files of other lengths: padded to 100 rows, or kept in full.
  const std::string lf = "a\nb";
  const auto short_ = ktIdRowsFromFile(ByteView(reinterpret_cast<const std::uint8_t*>(lf.data()), lf.size()));
  ASSERT_EQ(short_.size(), 100u);
  EXPECT_EQ(short_[1], "b");
  std::vector<std::string> longRows(120, "x");
  EXPECT_EQ(ktIdRowsFromFile(ktIdFileFromRows(longRows)).size(), 120u);
  EXPECT_EQ(ktIdRowsFromFile({}).size(), 100u);
}

}  // namespace
}  // namespace kt90
