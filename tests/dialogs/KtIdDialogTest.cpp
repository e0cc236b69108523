#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/base/FileIo.h"
#include "core/chip/ChipTestSupport.h"
#include "core/progfile/UidBinding.h"
#include "dialogs/CKtIdDlg.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

ProgrammerUid uid(std::uint8_t first) { return {first, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5A}; }

class KtIdDialogTest : public ::testing::Test {
 protected:
  TempProgramDir dir;
  RecordingReporter reporter;
  std::vector<QString> alerts;

  void record(CKtIdDlg& dialog) {
    dialog.setAlertSink([this](QWidget*, const QString&, const QString& text) { alerts.push_back(text); });
  }
  static QString row(const CKtIdDlg& dialog, int r) { return dialog.list()->item(r, 0)->text(); }
};

TEST_F(KtIdDialogTest, ShowsTheListAndOkReadsTheEditedRows) {
  std::vector<ProgrammerUid> list = {uid(1)};
  UidBindingEditor editor(list, uid(2), kEnglish, reporter);
  CKtIdDlg dialog(editor, dir.dir(), kEnglish);
  record(dialog);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("绑定烧录器U_ID"));
  EXPECT_EQ(dialog.list()->horizontalHeaderItem(0)->text(), QString::fromUtf8("烧录器U_ID"));
  EXPECT_EQ(dialog.list()->columnWidth(0), 400);
  EXPECT_EQ(dialog.loadButton()->text(), "load configuration");
  ASSERT_EQ(dialog.list()->rowCount(), 100);
  EXPECT_EQ(row(dialog, 0), "01 00 00 00 00 00 00 00 00 00 00 5A ");
  EXPECT_EQ(row(dialog, 1), "02 00 00 00 00 00 00 00 00 00 00 5A ");
  EXPECT_TRUE(row(dialog, 2).isEmpty());
  EXPECT_EQ(dialog.list()->item(0, 0)->textAlignment(), Qt::AlignCenter);

  // In-place editing: open the cell's editor, type, confirm.
  dialog.list()->editItem(dialog.list()->item(5, 0));
  auto* cellEditor = dialog.list()->findChild<QLineEdit*>();
  ASSERT_NE(cellEditor, nullptr);
  QTest::keyClicks(cellEditor, "0300000000000000000000A5");
  QTest::keyClick(cellEditor, Qt::Key_Return);
  QApplication::processEvents();  // the delegate commits queued
  EXPECT_EQ(row(dialog, 5), "0300000000000000000000A5");
  // A row that is no U_ID is named on OK and the dialog stays open; emptied, OK goes through.
  dialog.list()->item(0, 0)->setText("not a U_ID");
  for (QAbstractButton* b : dialog.findChild<QDialogButtonBox*>()->buttons()) {
    if (b->text() == "OK") QTest::mouseClick(b, Qt::LeftButton);
  }
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(dialog.acceptedUids());
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], "Row 1 is not a programmer U_ID (24 hexadecimal digits): not a U_ID\r\n");
  dialog.list()->item(0, 0)->setText("");

  dialog.accept();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_TRUE(dialog.acceptedUids().has_value());
  const std::vector<ProgrammerUid> expected = {uid(2), {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA5}};
  EXPECT_EQ(*dialog.acceptedUids(), expected);
  EXPECT_EQ(list.size(), 2u);  // the dialog returns the list, the caller stores it
}

TEST_F(KtIdDialogTest, LoadSaveClearAndTheHundredLimit) {
  std::vector<ProgrammerUid> list = {uid(7)};
  UidBindingEditor editor(list, std::nullopt, kChinese, reporter);
  CKtIdDlg dialog(editor, dir.dir(), kChinese);
  record(dialog);
  EXPECT_EQ(dialog.saveButton()->text(), QString::fromUtf8("保存配置"));

  dialog.list()->item(1, 0)->setText("note");
  QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
  const auto saved = readWholeFile(ktIdFilePath(dir.dir()));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->size(), 36u + 2u + 4u + 2u + 98u * 2u);

  QTest::mouseClick(dialog.clearButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.list()->rowCount(), 100);
  EXPECT_TRUE(row(dialog, 0).isEmpty());
  QTest::mouseClick(dialog.loadButton(), Qt::LeftButton);
  EXPECT_EQ(row(dialog, 0), "07 00 00 00 00 00 00 00 00 00 00 5A ");
  EXPECT_EQ(row(dialog, 1), "note");

  // 120 lines of U_IDs: all shown, OK refused with a message and the dialog stays.
  std::string text;
  for (int i = 0; i < 120; ++i) text += uidToRowText(uid(static_cast<std::uint8_t>(i))) + "\r\n";
  dir.writeBytes("KT_ID.TXT", text);
  QTest::mouseClick(dialog.loadButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.list()->rowCount(), 120);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.acceptedUids());
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_TRUE(alerts[0].contains("120"));

  dialog.reject();
  EXPECT_EQ(list, std::vector<ProgrammerUid>{uid(7)});
}

}  // namespace
}  // namespace kt90
