#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/base/FileIo.h"
#include "dialogs/CCalibrateDlg.h"
#include "dialogs/COptionDlg.h"
#include "dialogs/CRollingCodeDlg.h"
#include "dialogs/CCustomComboBox.h"
#include "dialogs/Editors.h"
#include "support/NextDialog.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

using test::onNextDialog;

// Every editor on every shipped chip, then Save and Open: the project file carries exactly
// what the editors wrote.
TEST(EditThenSave, EveryShippedChipReopensWithTheEditedValues) {
  namespace fs = std::filesystem;
  const fs::path dir = test::uniqueTempDir("kt90_edit_then_save");
  fs::remove_all(dir);
  fs::create_directories(dir);
  test::RecordingHost host;
  MemoryProfile profile;
  profile.writeInt(profile::kLanguage, kEnglish);
  WorkingState state(host, profile, KT90_TEST_DATA_DIR);
  state.start();
  const std::vector<std::string> chips = state.chipList();
  ASSERT_GE(chips.size(), 6u);
  for (const std::string& chip : chips) {
    SCOPED_TRACE(chip);
    ASSERT_TRUE(state.selectChipModel(chip));
    ASSERT_TRUE(state.loadChipDefinition(true));
    const ProgramImage fresh = state.image();

    // OPTION: the last choice of the first row that offers more than one.
    onNextDialog<COptionDlg>([](COptionDlg& dialog) {
      for (int row = 0;; ++row) {
        CCustomComboBox* selector = dialog.selector(row);
        if (selector->count() > 1) {
          selector->setCurrentIndex(selector->count() - 1);
          break;
        }
      }
      dialog.accept();
    });
    EXPECT_TRUE(editOptions(nullptr, state));
    // Rolling code on, one byte 0x5A at address 0x0040.
    onNextDialog<CRollingCodeDlg>([](CRollingCodeDlg& dialog) {
      dialog.enableBox()->click();
      dialog.addressEdit(0)->setText("0040");
      dialog.dataEdit(0)->setText("5A");
      dialog.accept();
    });
    EXPECT_TRUE(editRollingCode(nullptr, state));
    // Calibration: switch the first entry the user may change.
    const CaliBrate& header = state.image().calibration;
    int changeable = -1;
    for (int k = 1; k < header.count && changeable < 0; ++k) {
      if (state.image().calibrationEntries[k].offered && isKnownCalibrationName(state.image().calibrationEntries[k].name)) {
        changeable = k;
      }
    }
    const bool hasCalibration = changeable > 0;
    if (hasCalibration) {
      onNextDialog<CCalibrateDlg>([changeable](CCalibrateDlg& dialog) {
        dialog.enableBox(changeable)->click();
        dialog.accept();
      });
      EXPECT_TRUE(editCalibration(nullptr, state));
    }
    const ProgramImage edited = state.image();
    EXPECT_FALSE(edited == fresh);
    EXPECT_TRUE(edited.rollingCodeOn());
    EXPECT_EQ(edited.rolCode.bytes[1], 0x5A);
    if (hasCalibration) {
      EXPECT_NE(edited.calibration.enableBits, fresh.calibration.enableBits);
    }

    const std::string file = pathToUtf8(dir / (chip + ".vk"));
    ASSERT_TRUE(saveProgramFile(state, file, SaveType::Project));
    const ProgramImage saved = state.image();
    ASSERT_TRUE(state.selectChipModel(chips.front() == chip ? chips.back() : chips.front()));
    ASSERT_TRUE(state.loadChipDefinition(true));
    ASSERT_TRUE(openProgramFile(state, file));
    EXPECT_EQ(state.chipModelName(), chip);
    EXPECT_TRUE(state.image() == saved);
    EXPECT_NE(host.summary.find("Rolling0_DATA:\t0x015A"), std::string::npos);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kt90
