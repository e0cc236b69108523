#pragma once
#include <cstdint>

#include "core/text/Language.h"

namespace kt90 {

// Command numbers of the main menu.
enum class MenuCommand : int {
  Open = 57601,
  Save = 57603,
  UpdateFirmware = 32791,
  Quality = 32789,
  ProductionJournal = 32812,
  StrictJournal = 32813,
  Quit = 57665,
  ResearchMode = 32779,
  ProductionMode = 32780,
  ServiceMode = 32782,
  FilePassword = 32785,
  ProgramFileTimes = 32783,
  UidSettings = 32787,
  CheckCrc = 32804,
  Chinese = 32800,
  English = 32801,
  HelpDocument = 32797,
  InstallDriver = 32799,
  CloseUpdata = 32809,
  About = 57664,
};

// What the enable and check rules look at.
struct MenuContext {
  std::uint32_t operatingMode = 1;
  LanguageId language = kChinese;
  std::uint8_t headFlags = 0;
  bool updateCheckOff = true;
  bool journalStrict = false;
  // A device operation works on the working state: the commands that change it wait.
  bool operationRunning = false;
};

struct MenuItemState {
  bool enabled = true;
  bool checkable = false;
  bool checked = false;
};

// Applied to every item of a menu when it opens.
MenuItemState menuItemState(MenuCommand command, const MenuContext& context);

}  // namespace kt90
