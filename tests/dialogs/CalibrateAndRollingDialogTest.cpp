#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipTestSupport.h"
#include "dialogs/CCalibrateDlg.h"
#include "dialogs/CRollingCodeDlg.h"

namespace kt90 {
namespace {

TEST(CalibrateDialog, ShippedChipRowsAndOk) {
  ChipInfo info;
  ProgramImage image;
  RecordingReporter reporter;
  ASSERT_TRUE(
      LoadChipDefinition({testing::shippedDataDir(), kEnglish, "QD46K300T1", false}, true, info, image, reporter));
  CalibrationEditorModel model(image.calibration, image.calibrationEntries);
  CCalibrateDlg dialog(model, kEnglish);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "calibration");

  // Row 0: IRC, checked, 5V, shown but disabled.
  EXPECT_EQ(dialog.enableBox(0)->text(), QString::fromUtf8("IRC校准"));
  EXPECT_TRUE(dialog.enableBox(0)->isChecked());
  EXPECT_TRUE(dialog.button5V(0)->isChecked());
  EXPECT_FALSE(dialog.enableBox(0)->isEnabled() || dialog.button5V(0)->isEnabled() || dialog.button3V(0)->isEnabled());
  // Row 1: 1.7M at 3V, editable.
  EXPECT_TRUE(dialog.enableBox(1)->isEnabled());
  EXPECT_TRUE(dialog.button3V(1)->isChecked());
  EXPECT_FALSE(dialog.button5V(1)->isChecked());
  // Rows 3 (not offered), 5 (unknown name), 6 and 7: empty and disabled.
  for (int k : {3, 5, 6, 7}) {
    EXPECT_TRUE(dialog.enableBox(k)->text().isEmpty()) << k;
    EXPECT_FALSE(dialog.enableBox(k)->isEnabled()) << k;
    EXPECT_FALSE(dialog.button3V(k)->isEnabled()) << k;
  }

  const CaliBrate before = image.calibration;
  dialog.enableBox(2)->setChecked(false);
  QTest::mouseClick(dialog.button3V(2), Qt::LeftButton);
  EXPECT_FALSE(dialog.button5V(2)->isChecked());  // each row's pair is one group
  EXPECT_TRUE(dialog.button3V(1)->isChecked());   // and separate from the other rows
  dialog.reject();
  EXPECT_EQ(model.rows()[2].enabled, true);
  model.accept(image.calibration);
  EXPECT_EQ(image.calibration, before);

  dialog.accept();
  model.accept(image.calibration);
  EXPECT_EQ(image.calibration.enableBits, before.enableBits & ~0x04);
  EXPECT_EQ(image.calibration.voltageBits, before.voltageBits | 0x04);
  EXPECT_EQ(image.calibration.enableBits & 0x20, 0x20);  // 32K校准, not shown, kept
}

class RollingDialogTest : public ::testing::Test {
 protected:
  FileHead head;
  RolCode record;
  std::vector<QString> alerts;

  void SetUp() override {
    head.setFlag(headflag::kRollingCode, true);
    // Length 2, MOVLW, data 0x34 0x12, addresses 0x0100 0x0101, step 1.
    record.bytes = {0x01, 0x34, 0x04, 0x12, 0x04, 0x00, 0x01, 0x01, 0x01, 0x01};
  }
  void recordAlerts(CRollingCodeDlg& dialog) {
    dialog.setAlertSink([this](QWidget*, const QString&, const QString& text) { alerts.push_back(text); });
  }
};

TEST_F(RollingDialogTest, OpensFromTheRecordAndRefreshesFromIt) {
  RollingCodeEditorModel model(head, record);
  CRollingCodeDlg dialog(model, kEnglish);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("滚码"));
  EXPECT_TRUE(dialog.enableBox()->isChecked());
  EXPECT_EQ(dialog.lengthList()->count(), 4);
  EXPECT_EQ(dialog.lengthList()->currentText(), "2");
  EXPECT_EQ(dialog.stepEdit()->text(), "01");
  EXPECT_TRUE(dialog.movlwButton()->isChecked());
  EXPECT_FALSE(dialog.retlwButton()->isChecked());
  EXPECT_EQ(dialog.addressEdit(0)->text(), "0100");
  EXPECT_EQ(dialog.dataEdit(1)->text(), "12");
  EXPECT_TRUE(dialog.addressEdit(1)->isEnabled());
  EXPECT_FALSE(dialog.addressEdit(2)->isEnabled());
  EXPECT_TRUE(dialog.addressEdit(2)->text().isEmpty());
  EXPECT_EQ(dialog.addressEdit(0)->maxLength(), 4);
  EXPECT_EQ(dialog.dataEdit(0)->maxLength(), 2);
  // BYTE0 is the rightmost column.
  EXPECT_GT(dialog.addressEdit(0)->geometry().x(), dialog.addressEdit(3)->geometry().x());

  // Typing filter.
  dialog.addressEdit(0)->clear();
  QTest::keyClicks(dialog.addressEdit(0), "1g2");
  EXPECT_EQ(dialog.addressEdit(0)->text(), "12");
  dialog.dataEdit(0)->clear();
  QTest::keyClicks(dialog.dataEdit(0), "ab");
  EXPECT_EQ(dialog.dataEdit(0)->text(), "AB");

  // Enable off empties every column; on again shows the opening values, not the typing.
  QTest::mouseClick(dialog.enableBox(), Qt::LeftButton);
  EXPECT_FALSE(dialog.enableBox()->isChecked());
  EXPECT_FALSE(dialog.stepEdit()->isEnabled() || dialog.lengthList()->isEnabled() || dialog.movlwButton()->isEnabled());
  EXPECT_TRUE(dialog.addressEdit(0)->text().isEmpty());
  EXPECT_FALSE(dialog.addressEdit(0)->isEnabled());
  QTest::mouseClick(dialog.enableBox(), Qt::LeftButton);
  EXPECT_EQ(dialog.addressEdit(0)->text(), "0100");
  EXPECT_EQ(dialog.dataEdit(0)->text(), "34");

  dialog.lengthList()->setCurrentIndex(0);  // length 1: only BYTE0
  EXPECT_TRUE(dialog.addressEdit(0)->isEnabled());
  EXPECT_FALSE(dialog.addressEdit(1)->isEnabled());
  EXPECT_TRUE(dialog.dataEdit(1)->text().isEmpty());
}

TEST_F(RollingDialogTest, DuplicateAddressesKeepTheDialogOpenAndOkWritesBack) {
  RollingCodeEditorModel model(head, record);
  CRollingCodeDlg dialog(model, kChinese);
  recordAlerts(dialog);
  dialog.show();
  dialog.addressEdit(1)->setText("0100");
  dialog.accept();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], QString::fromUtf8("滚码地址0和滚码地址1相同，都是0x0100！"));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  dialog.addressEdit(1)->setText("200");
  dialog.dataEdit(1)->setText("7");
  dialog.stepEdit()->setText("");
  dialog.retlwButton()->setChecked(true);
  dialog.accept();
  EXPECT_EQ(alerts.size(), 1u);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  model.writeBack(head, record);
  const std::uint8_t expected[] = {0x01, 0x34, 0x01, 0x07, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00};
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(record.bytes[i], expected[i]) << i;
}

TEST_F(RollingDialogTest, LongRecordsShowEightColumns) {
  record.bytes.fill(0);
  record.bytes[0] = 0x04;  // five serial bytes
  for (int i = 0; i < 5; ++i) writeU16(&record.bytes[11 + 2 * i], static_cast<std::uint16_t>(0x40 + i));
  RollingCodeEditorModel model(head, record);
  CRollingCodeDlg dialog(model, kEnglish);
  EXPECT_EQ(dialog.lengthList()->count(), 8);
  EXPECT_EQ(dialog.lengthList()->currentText(), "5");
  EXPECT_EQ(dialog.addressEdit(4)->text(), "0044");
  EXPECT_FALSE(dialog.addressEdit(5)->isEnabled());
  dialog.accept();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  model.writeBack(head, record);
  EXPECT_EQ(record.bytes[0], 0x04);
  EXPECT_EQ(record.bytes[10], kRollingKindMovlw);  // neither kind checked: MOVLW
  EXPECT_EQ(readU16(&record.bytes[19]), 0x44);
  EXPECT_EQ(record.bytes[21], 0x00);  // the step, as opened
}

}  // namespace
}  // namespace kt90
