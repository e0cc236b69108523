#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipTestSupport.h"
#include "dialogs/COptionDlg.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

struct Alert {
  QString caption;
  QString text;
};

// Word 0 holds a range item with a not-selectable third choice; the chip has two packages.
const char* const kDefinition =
    "[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=2\r\n"
    "[OTPOption0_Item0]\r\nName=Clock\r\nBitStart=1\r\nBitEnd=0\r\nItemCount=4\r\n"
    "Item0_Name=A\r\nItem0_Val=0\r\nItem1_Name=B\r\nItem1_Val=1\r\nItem2_Name=C\r\nItem2_Val=2\r\nItem2_Not=1\r\n"
    "Item3_Name=D\r\nItem3_Val=3\r\n"
    "[OTPOption0_Item1]\r\nBitStart=9\r\nBitEnd=8\r\nItemCount=1\r\nItem0_Name=Only\r\nItem0_Val=0x100\r\n"
    "[Package]\r\nOpenShortPINS=8\r\nPackageCount=2\r\nItem0_Name=SOP8\r\nItem0_Val0=1\r\n"
    "Item1_Name=DIP8\r\nItem1_Val0=2\r\n";

class OptionDialogTest : public ::testing::Test {
 protected:
  TempProgramDir dir;
  ProgramImage image;
  RecordingReporter reporter;
  std::vector<Alert> alerts;

  OptionEditorModel open(const std::string& text, LanguageId language = kEnglish) {
    dir.writeDefinition("CHIP", text);
    auto model =
        openOptionEditor(chipDefinitionPath(dir.dir(), kChinese, "CHIP"), "CHIP", image, 0x3FFF, language, reporter);
    EXPECT_TRUE(model);
    return std::move(*model);
  }
  void record(COptionDlg& dialog) {
    dialog.setAlertSink([this](QWidget*, const QString& caption, const QString& text) {
      alerts.push_back({caption, text});
    });
  }
};

TEST_F(OptionDialogTest, ShowsTheRowsAndOkWritesTheChoices) {
  image.setOptionWord(0, 0x3E01);  // Clock = B; bits 9..8 = 10 match no choice
  image.openShort.bytes[2] = 2;    // DIP8
  OptionEditorModel model = open(kDefinition);
  COptionDlg dialog(model, kEnglish);
  record(dialog);
  dialog.show();
  QApplication::processEvents();

  EXPECT_EQ(dialog.windowTitle(), "OPTION");
  QTableWidget* list = dialog.list();
  ASSERT_EQ(list->rowCount(), 3);
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "OPTION_ITEM");
  EXPECT_EQ(list->horizontalHeaderItem(1)->text(), "OPTION_VALUE");
  EXPECT_EQ(list->columnWidth(0), 220);
  EXPECT_EQ(list->columnWidth(1), 300);
  EXPECT_EQ(list->item(0, 0)->text(), "Clock");
  EXPECT_EQ(list->item(1, 0)->text(), QString::fromUtf8("未定义"));
  EXPECT_EQ(list->item(2, 0)->text(), "Package");
  EXPECT_EQ(dialog.selector(0)->currentIndex(), 1);
  EXPECT_EQ(dialog.selector(1)->currentIndex(), -1);
  EXPECT_EQ(dialog.selector(2)->currentText(), "DIP8");
  EXPECT_EQ(list->cellWidget(0, 1), dialog.selector(0));
  EXPECT_TRUE(alerts.empty());

  // The not-selectable C gives way to the selection held before.
  dialog.selector(0)->setCurrentIndex(2);
  EXPECT_EQ(dialog.selector(0)->currentIndex(), 1);
  dialog.selector(0)->setCurrentIndex(3);
  dialog.selector(2)->setCurrentIndex(0);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  model.accept(image);
  EXPECT_EQ(image.optionWord(0), 0x3E03);  // the item without a selection kept bits 9..8
  EXPECT_EQ(image.openShort.bytes[2], 1);
  EXPECT_EQ(image.openShort.pins(), 8);
}

TEST_F(OptionDialogTest, CancelLeavesTheModelsChoicesAlone) {
  image.setOptionWord(0, 0x3E00);
  image.openShort.bytes[2] = 1;
  OptionEditorModel model = open(kDefinition, kChinese);
  const ProgramImage opened = image;
  COptionDlg dialog(model, kChinese);
  dialog.selector(0)->setCurrentIndex(3);
  dialog.selector(2)->setCurrentIndex(1);
  dialog.reject();
  EXPECT_EQ(model.rows()[0].selected, 0u);
  EXPECT_EQ(model.rows()[2].selected, 0u);
  EXPECT_EQ(dialog.list()->item(2, 0)->text(), QString::fromUtf8("封装"));
  EXPECT_TRUE(image == opened);
}

TEST_F(OptionDialogTest, UnknownPackageIsWarnedOnceTheDialogShows) {
  image.openShort.bytes[2] = 9;
  OptionEditorModel model = open(kDefinition);
  COptionDlg dialog(model, kEnglish);
  record(dialog);
  EXPECT_TRUE(alerts.empty());
  dialog.show();
  QTest::qWait(20);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].caption, QString::fromUtf8("警告"));
  EXPECT_EQ(alerts[0].text, QString::fromUtf8("警告！当前文件中的封装没有定义，请谨慎使用！"));
  EXPECT_EQ(dialog.selector(2)->count(), 3);
  EXPECT_EQ(dialog.selector(2)->currentText(), QString::fromUtf8("文件中的封装"));
  dialog.hide();
  dialog.show();
  QTest::qWait(20);
  EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(OptionDialogTest, SelectorsFollowScrollingAndDrawTheirFieldGrey) {
  std::string text = "[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=40\r\n";
  for (int j = 0; j < 40; ++j) {
    text += "[OTPOption0_Item" + std::to_string(j) + "]\r\nName=Row" + std::to_string(j) +
            "\r\nItemCount=2\r\nItem0_Name=Zero\r\nItem0_Val=0\r\nItem0_Not=1\r\nItem1_Name=One\r\nItem1_Val=1\r\n";
  }
  image.setOptionWord(0, 0x3FFE);
  OptionEditorModel model = open(text);
  COptionDlg dialog(model, kEnglish);
  dialog.resize(560, 300);
  dialog.show();
  QApplication::processEvents();

  CCustomComboBox* last = dialog.selector(39);
  EXPECT_TRUE(dialog.selector(0)->isVisible());
  EXPECT_TRUE(last->visibleRegion().isEmpty());  // below the visible rows

  // The wheel over a closed selector scrolls the grid and changes no value.
  CCustomComboBox* first = dialog.selector(0);
  first->setCurrentIndex(1);
  const QPoint centre = first->rect().center();
  QWheelEvent wheel(centre, first->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(first, &wheel);
  EXPECT_EQ(first->currentIndex(), 1);
  EXPECT_GT(dialog.list()->verticalScrollBar()->value(), 0);

  dialog.list()->scrollToBottom();
  QApplication::processEvents();
  EXPECT_FALSE(last->visibleRegion().isEmpty());
  const QRect cell = dialog.list()->visualRect(dialog.list()->model()->index(39, 1));
  EXPECT_EQ(last->geometry().topLeft(), cell.topLeft());

  dialog.list()->horizontalHeader()->resizeSection(0, 120);
  QApplication::processEvents();
  EXPECT_EQ(last->geometry().left(), dialog.list()->visualRect(dialog.list()->model()->index(39, 1)).left());
  EXPECT_LT(last->geometry().left(), cell.left());

  // A not-selectable current entry is drawn grey in the closed field; others on 0xF5F5F5.
  const QImage grey = last->grab().toImage();
  last->setCurrentIndex(1);
  const QImage light = last->grab().toImage();
  const QPoint probe(last->width() / 2, last->height() / 2);
  EXPECT_EQ(grey.pixelColor(probe), CCustomComboBox::kNotSelectableColour);
  EXPECT_EQ(light.pixelColor(probe), CCustomComboBox::kClosedFieldColour);
}

}  // namespace
}  // namespace kt90
