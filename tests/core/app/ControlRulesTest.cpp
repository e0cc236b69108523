#include <gtest/gtest.h>

#include "core/app/ControlRules.h"
#include "core/app/MenuRules.h"
#include "core/app/OperatingMode.h"
#include "core/progfile/FileHead.h"

namespace kt90 {
namespace {

constexpr Control kEditing[] = {Control::Save,  Control::ChipList, Control::Option, Control::SnId,
                                Control::Blank, Control::Program,  Control::Verify, Control::Upload};

TEST(ControlRules, ProductionLocksEditingButKeepsOpenAndDownload) {
  const ControlStates s = controlStates(OperationState::Ready, kProductionMode, "QD45C8K");
  EXPECT_TRUE(at(s, Control::Open).enabled);
  EXPECT_TRUE(at(s, Control::Download).enabled);
  for (Control c : kEditing) EXPECT_FALSE(at(s, c).enabled) << static_cast<int>(c);
  EXPECT_FALSE(at(s, Control::Calibrate).enabled);
  EXPECT_FALSE(at(s, Control::Read).visible);
  EXPECT_FALSE(at(s, Control::HwTest).visible);
  // The field-calibrated chip keeps CALIBRATE even here.
  EXPECT_TRUE(at(controlStates(OperationState::Failed, kProductionMode, "QD46K300T1"), Control::Calibrate).enabled);
}

TEST(ControlRules, ResearchAndServiceModes) {
  for (OperationState state : {OperationState::Passed, OperationState::Failed, OperationState::Ready}) {
    const ControlStates rd = controlStates(state, kResearchMode, "QD46K300T");  // not exactly the chip
    for (Control c : kEditing) EXPECT_TRUE(at(rd, c).enabled);
    EXPECT_FALSE(at(rd, Control::Calibrate).enabled);
    EXPECT_FALSE(at(rd, Control::Read).visible);
    EXPECT_FALSE(at(rd, Control::Read).enabled);
    EXPECT_TRUE(at(controlStates(state, kResearchMode, "QD46K300T1"), Control::Calibrate).enabled);

    const ControlStates service = controlStates(state, kServiceMarker, "VK1620");
    for (Control c : kEditing) EXPECT_TRUE(at(service, c).enabled);
    for (Control c : {Control::Calibrate, Control::Read, Control::HwTest}) {
      EXPECT_TRUE(at(service, c).enabled);
      EXPECT_TRUE(at(service, c).visible);
    }
  }
  // A stored mode above the marker behaves like R&D mode for the controls.
  const ControlStates odd = controlStates(OperationState::Ready, kServiceMarker + 1, "VK1620");
  EXPECT_TRUE(at(odd, Control::Save).enabled);
  EXPECT_FALSE(at(odd, Control::Read).visible);
}

TEST(ControlRules, RunningDisablesEveryControlInEveryMode) {
  for (std::uint32_t mode : {kProductionMode, kResearchMode, kServiceMarker}) {
    const ControlStates s = controlStates(OperationState::Running, mode, "QD46K300T1");
    for (std::size_t i = 0; i < s.size(); ++i) EXPECT_FALSE(s[i].enabled) << i;
    // Showing follows the mode alone.
    EXPECT_EQ(at(s, Control::Read).visible, mode == kServiceMarker);
  }
}

TEST(ControlRules, StateColours) {
  EXPECT_EQ(stateColour(OperationState::Passed), (Rgb{0, 155, 0}));
  EXPECT_EQ(stateColour(OperationState::Failed), (Rgb{255, 0, 0}));
  EXPECT_EQ(stateColour(OperationState::Ready), (Rgb{135, 206, 255}));
  EXPECT_EQ(stateColour(OperationState::Running), (Rgb{255, 255, 0}));
}

TEST(MenuRules, ChecksAndEnables) {
  MenuContext c;
  c.operatingMode = kProductionMode;
  c.language = kEnglish;
  c.headFlags = headflag::kReset;
  c.updateCheckOff = true;
  EXPECT_TRUE(menuItemState(MenuCommand::ProductionMode, c).checked);
  EXPECT_FALSE(menuItemState(MenuCommand::ResearchMode, c).checked);
  EXPECT_FALSE(menuItemState(MenuCommand::FilePassword, c).enabled);
  EXPECT_FALSE(menuItemState(MenuCommand::ProgramFileTimes, c).enabled);
  EXPECT_FALSE(menuItemState(MenuCommand::UidSettings, c).enabled);
  EXPECT_FALSE(menuItemState(MenuCommand::CheckCrc, c).checked);
  EXPECT_TRUE(menuItemState(MenuCommand::English, c).checked);
  EXPECT_FALSE(menuItemState(MenuCommand::Chinese, c).checked);
  EXPECT_TRUE(menuItemState(MenuCommand::CloseUpdata, c).checked);

  c.operatingMode = kServiceMarker + 5;  // no mode item checked, settings enabled
  c.headFlags = headflag::kReset | headflag::kCheckCrc;
  c.language = 1041;
  c.updateCheckOff = false;
  for (MenuCommand m : {MenuCommand::ResearchMode, MenuCommand::ProductionMode, MenuCommand::ServiceMode}) {
    EXPECT_FALSE(menuItemState(m, c).checked);
  }
  EXPECT_TRUE(menuItemState(MenuCommand::UidSettings, c).enabled);
  EXPECT_TRUE(menuItemState(MenuCommand::CheckCrc, c).checked);
  EXPECT_FALSE(menuItemState(MenuCommand::English, c).checked);
  EXPECT_FALSE(menuItemState(MenuCommand::Chinese, c).checked);
  EXPECT_FALSE(menuItemState(MenuCommand::CloseUpdata, c).checked);
}

TEST(MenuRules, CommandsThatRewriteTheStateWaitForARunningOperation) {
  MenuContext c;
  c.operatingMode = kResearchMode;
  c.operationRunning = true;
  for (MenuCommand m :
       {MenuCommand::ResearchMode, MenuCommand::ProductionMode, MenuCommand::ServiceMode, MenuCommand::FilePassword,
        MenuCommand::ProgramFileTimes, MenuCommand::UidSettings, MenuCommand::CheckCrc}) {
    EXPECT_FALSE(menuItemState(m, c).enabled) << static_cast<int>(m);
  }
  EXPECT_TRUE(menuItemState(MenuCommand::ResearchMode, c).checked);  // the mark still shows
  // Their own guard refuses a second device operation; closing and languages wait.
  for (MenuCommand m : {MenuCommand::UpdateFirmware, MenuCommand::Quality, MenuCommand::Quit, MenuCommand::English,
                        MenuCommand::About, MenuCommand::CloseUpdata}) {
    EXPECT_TRUE(menuItemState(m, c).enabled) << static_cast<int>(m);
  }
}

}  // namespace
}  // namespace kt90
