#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/FileIo.h"
#include "core/chip/ChipTestSupport.h"
#include "core/editors/UidBindingEditor.h"
#include "core/progfile/FileLimits.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

ProgrammerUid uid(std::uint8_t first) { return {first, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xAB}; }

TEST(UidBindingEditor, ConnectedUidJoinsOnceAndStaysOnCancel) {
  RecordingReporter reporter;
  std::vector<ProgrammerUid> list = {uid(1)};
  {
    UidBindingEditor editor(list, uid(2), kEnglish, reporter);
    ASSERT_EQ(list.size(), 2u);  // step 2 happens before the dialog, Cancel keeps it
    EXPECT_EQ(editor.rows().size(), 100u);
    EXPECT_EQ(editor.rows()[1], "02 01 02 03 04 05 06 07 08 09 0A AB ");
    EXPECT_EQ(editor.rows()[2], "");
  }
  UidBindingEditor again(list, uid(2), kEnglish, reporter);
  EXPECT_EQ(list.size(), 2u);
  UidBindingEditor none(list, std::nullopt, kEnglish, reporter);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_TRUE(reporter.alerts.empty());
}

TEST(UidBindingEditor, OkReadsEveryRowAndRefusesMoreThanAHundred) {
  RecordingReporter reporter;
  std::vector<ProgrammerUid> list = {uid(1), uid(2)};
  UidBindingEditor editor(list, std::nullopt, kChinese, reporter);
  editor.setRow(0, "");
  editor.setRow(5, "AA0102030405060708090AAB");    // typed without spaces
  editor.setRow(6, "AA0102030405060708090AA");     // 23 digits
  editor.setRow(7, "AA0102030405060708090AABC");   // 25 digits
  editor.setRow(500, "AA0102030405060708090AAB");  // no such row
  EXPECT_FALSE(editor.accept(list, reporter));     // the short row is named, nothing dropped
  ASSERT_EQ(reporter.alerts.size(), 1u);
  EXPECT_NE(reporter.alerts[0].find("7"), std::string::npos);
  reporter.alerts.clear();
  editor.setRow(6, "");
  editor.setRow(7, "");
  ASSERT_TRUE(editor.accept(list, reporter));
  EXPECT_EQ(list, (std::vector<ProgrammerUid>{uid(2), uid(0xAA)}));

  std::vector<std::string> rows;
  for (int i = 0; i < 101; ++i) rows.push_back(UidBindingEditor(list, std::nullopt, kChinese, reporter).rows()[0]);
  editor.setRows(rows);
  EXPECT_FALSE(editor.accept(list, reporter));
  EXPECT_EQ(list.size(), 2u);
  ASSERT_EQ(reporter.alerts.size(), 1u);
  EXPECT_NE(reporter.alerts[0].find("101"), std::string::npos);

  editor.clear();
  EXPECT_EQ(editor.rows(), std::vector<std::string>(100));
  ASSERT_TRUE(editor.accept(list, reporter));
  EXPECT_TRUE(list.empty());
}

TEST(UidBindingEditor, KtIdFileRoundTripAndLongFiles) {
  TempProgramDir dir;
  RecordingReporter reporter;
  std::vector<ProgrammerUid> list = {uid(1), uid(2)};
  UidBindingEditor editor(list, std::nullopt, kChinese, reporter);
  EXPECT_FALSE(editor.load(dir.dir()));  // no file: nothing happens
  EXPECT_EQ(editor.rows()[1], "02 01 02 03 04 05 06 07 08 09 0A AB ");

  editor.setRow(3, "some note");
  ASSERT_TRUE(editor.save(dir.dir(), reporter));
  const auto saved = readWholeFile(ktIdFilePath(dir.dir()));
  ASSERT_TRUE(saved);
  EXPECT_EQ(std::string(saved->begin(), saved->begin() + 38), "01 01 02 03 04 05 06 07 08 09 0A AB \r\n");

  std::vector<ProgrammerUid> other;
  UidBindingEditor loaded(other, std::nullopt, kChinese, reporter);
  ASSERT_TRUE(loaded.load(dir.dir()));
  EXPECT_EQ(loaded.rows(), editor.rows());
  EXPECT_FALSE(loaded.accept(other, reporter));  // the note is no U_ID: OK names its row
  loaded.setRow(3, "");
  reporter.alerts.clear();
  ASSERT_TRUE(loaded.accept(other, reporter));
  EXPECT_EQ(other, list);

  // A file of 150 lines is shown whole; its U_IDs past row 100 count on OK.
  std::string text;
  for (int i = 0; i < 150; ++i) text += (i == 120 ? "07 00 00 00 00 00 00 00 00 00 00 00 " : "") + std::string("\r\n");
  dir.writeBytes("KT_ID.TXT", text);
  ASSERT_TRUE(loaded.load(dir.dir()));
  EXPECT_EQ(loaded.rows().size(), 150u);
  ASSERT_TRUE(loaded.accept(other, reporter));
  ASSERT_EQ(other.size(), 1u);
  EXPECT_EQ(other[0][0], 7);

  // A save that cannot write says so.
  std::filesystem::create_directories(dir.path() / "sub" / "KT_ID.TXT");
  EXPECT_FALSE(loaded.save(dir.dir() + "/sub", reporter));
  ASSERT_EQ(reporter.alerts.size(), 1u);
  EXPECT_NE(reporter.alerts[0].find("KT_ID.TXT"), std::string::npos);

  // A folder or an oversized file of that name is not read; the log says why.
  reporter.logLines.clear();
  EXPECT_FALSE(loaded.load(dir.dir() + "/sub"));
  dir.writeBytes("KT_ID.TXT", std::string(kMaxKtIdFileBytes + 1, '\n'));
  EXPECT_FALSE(loaded.load(dir.dir()));
  EXPECT_EQ(loaded.rows().size(), 150u);
  ASSERT_EQ(reporter.logLines.size(), 2u);
  EXPECT_NE(reporter.logLines[0].find("不是普通文件"), std::string::npos);
  EXPECT_NE(reporter.logLines[1].find("16384"), std::string::npos);
}

}  // namespace
}  // namespace kt90
