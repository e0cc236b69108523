#pragma once
#include <QWidget>

#include "core/app/WorkingState.h"
#include "core/text/Language.h"
#include "gui/Dialogs.h"

namespace kt90::gui {

// Windows has the maker's installer Driver/driver_install.exe; elsewhere "Install Driver"
// sets up udev with Driver/install-driver.sh.
#if defined(Q_OS_WIN)
inline constexpr bool kDriverSetupScript = false;
#else
inline constexpr bool kDriverSetupScript = true;
#endif

// Runs the set-up script as root through pkexec after a Yes, logging its output and exit
// code when it ends; without pkexec it shows the sudo command to type. A missing script
// is said in a message box.
void runDriverSetupScript(QWidget* window, Dialogs& dialogs, WorkingState& state, LanguageId language);

}  // namespace kt90::gui
