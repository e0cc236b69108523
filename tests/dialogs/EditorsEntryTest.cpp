#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "dialogs/CCalibrateDlg.h"
#include "dialogs/CKtIdDlg.h"
#include "dialogs/COptionDlg.h"
#include "dialogs/CRollingCodeDlg.h"
#include "dialogs/Editors.h"
#include "support/NextDialog.h"
#include "support/RecordingHost.h"

namespace kt90 {
namespace {

using test::onNextDialog;

class EditorsEntryTest : public ::testing::Test {
 protected:
  test::RecordingHost host;
  MemoryProfile profile;
  std::unique_ptr<WorkingState> state;

  void SetUp() override {
    profile.writeInt(profile::kLanguage, kEnglish);
    profile.writeString(profile::kChip, "QD46K300T1");
    state = std::make_unique<WorkingState>(host, profile, KT90_TEST_DATA_DIR);
    state->start();
    ASSERT_EQ(state->chipModelName(), "QD46K300T1");
    host.summary.clear();
    host.code.clear();
    host.messages.clear();
  }
};

TEST_F(EditorsEntryTest, OptionsOkRedrawsAndCancelOnlySetsThePinTestWord) {
  ProgramImage& image = state->image();
  image.openShort.setPins(3);
  const ProgramImage opened = [&] {
    ProgramImage copy = image;
    copy.openShort.setPins(8);
    return copy;
  }();
  onNextDialog<COptionDlg>([](COptionDlg& dialog) {
    dialog.selector(0)->setCurrentIndex(3);
    dialog.reject();
  });
  EXPECT_FALSE(editOptions(nullptr, *state));
  EXPECT_TRUE(image == opened);
  EXPECT_TRUE(host.summary.empty());

  onNextDialog<COptionDlg>([](COptionDlg& dialog) {
    dialog.selector(0)->setCurrentIndex(3);
    dialog.accept();
  });
  EXPECT_TRUE(editOptions(nullptr, *state));
  EXPECT_EQ(image.optionWord(0), 0x394F);
  EXPECT_NE(host.summary.find("OPTION[0x2000]: 0x394F"), std::string::npos);
  EXPECT_FALSE(host.code.empty());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(EditorsEntryTest, CalibrationAndRollingCodeWriteBackOnOkOnly) {
  ProgramImage& image = state->image();
  const CaliBrate calibration = image.calibration;
  onNextDialog<CCalibrateDlg>([](CCalibrateDlg& dialog) {
    dialog.enableBox(1)->setChecked(false);
    dialog.reject();
  });
  EXPECT_FALSE(editCalibration(nullptr, *state));
  EXPECT_EQ(image.calibration, calibration);
  onNextDialog<CCalibrateDlg>([](CCalibrateDlg& dialog) {
    dialog.enableBox(1)->setChecked(false);
    dialog.accept();
  });
  EXPECT_TRUE(editCalibration(nullptr, *state));
  EXPECT_EQ(image.calibration.enableBits, calibration.enableBits & ~0x02);
  EXPECT_FALSE(host.summary.empty());

  host.summary.clear();
  const RolCode rolling = image.rolCode;
  onNextDialog<CRollingCodeDlg>([](CRollingCodeDlg& dialog) {
    dialog.enableBox()->click();
    dialog.reject();
  });
  EXPECT_FALSE(editRollingCode(nullptr, *state));
  EXPECT_FALSE(image.rollingCodeOn());
  EXPECT_EQ(image.rolCode.bytes, rolling.bytes);
  EXPECT_TRUE(host.summary.empty());
  onNextDialog<CRollingCodeDlg>([](CRollingCodeDlg& dialog) {
    dialog.enableBox()->click();
    dialog.dataEdit(0)->setText("5A");
    dialog.accept();
  });
  EXPECT_TRUE(editRollingCode(nullptr, *state));
  EXPECT_TRUE(image.rollingCodeOn());
  EXPECT_EQ(image.rolCode.bytes[1], 0x5A);
  EXPECT_NE(host.summary.find("0x015A"), std::string::npos);  // kind RETLW, byte 0x5A
}

TEST_F(EditorsEntryTest, UidBindingKeepsTheConnectedUidAndOkReplacesTheList) {
  std::vector<ProgrammerUid>& list = state->image().protection.uids;
  const ProgrammerUid connected = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0xFE, 0xFF};
  onNextDialog<CKtIdDlg>([](CKtIdDlg& dialog) { dialog.reject(); });
  EXPECT_FALSE(editUidBinding(nullptr, *state, connected));
  EXPECT_EQ(list, std::vector<ProgrammerUid>{connected});

  onNextDialog<CKtIdDlg>([](CKtIdDlg& dialog) {
    dialog.clearButton()->click();
    dialog.accept();
  });
  EXPECT_TRUE(editUidBinding(nullptr, *state, std::nullopt));
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace kt90
