#include "core/app/MenuRules.h"

#include "core/app/OperatingMode.h"
#include "core/progfile/FileHead.h"

namespace kt90 {
namespace {

MenuItemState checkMark(bool checked, bool enabled = true) { return MenuItemState{enabled, true, checked}; }

}  // namespace

MenuItemState menuItemState(MenuCommand command, const MenuContext& context) {
  const std::uint32_t mode = context.operatingMode;
  // Mode, protection and flag commands rewrite the working state a running operation
  // reads; they are offered again when it has ended.
  const bool stateFree = !context.operationRunning;
  switch (command) {
    case MenuCommand::Open:
      return MenuItemState{stateFree, false, false};
    case MenuCommand::Save:
      return MenuItemState{mode != kProductionMode && stateFree, false, false};
    case MenuCommand::ResearchMode:
      return checkMark(mode == kResearchMode, stateFree);
    case MenuCommand::ProductionMode:
      return checkMark(mode == kProductionMode, stateFree);
    case MenuCommand::ServiceMode:
      return checkMark(mode == kServiceMarker, stateFree);
    case MenuCommand::FilePassword:
    case MenuCommand::ProgramFileTimes:
    case MenuCommand::UidSettings:
      return MenuItemState{mode != kProductionMode && stateFree, false, false};
    case MenuCommand::CheckCrc:
      return checkMark((context.headFlags & headflag::kCheckCrc) != 0, stateFree);
    case MenuCommand::Chinese:
      return checkMark(context.language == kChinese);
    case MenuCommand::English:
      return checkMark(context.language == kEnglish);
    case MenuCommand::CloseUpdata:
      return checkMark(context.updateCheckOff);
    case MenuCommand::StrictJournal:
      // The worker reads the setting when an operation ends.
      return checkMark(context.journalStrict, stateFree);
    case MenuCommand::UpdateFirmware:
    case MenuCommand::Quality:
    case MenuCommand::ProductionJournal:
    case MenuCommand::Quit:
    case MenuCommand::HelpDocument:
    case MenuCommand::InstallDriver:
    case MenuCommand::About:
      break;
  }
  return MenuItemState{};
}

}  // namespace kt90
